#include "pages/kit/dtu_field_table_page.h"

#include <cstdio>
#include <utility>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "pages/kit/dtu_field_rows.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/kit/dtu_typed_number.h"

void DtuFieldTablePage::AttachFieldAnswers(const std::vector<DtuPageAnswerRow> &extra_rows) const {
  std::vector<DtuPageAnswerRow> rows;
  for (size_t i = 0; i < FieldCount(); ++i) {
    if (!Def(i).key || !Def(i).answer) continue;
    // A key the answer table does not know yet gets a row of its own.
    DtuCmdAddAnswerKey(Def(i).key);
    rows.push_back({Def(i).key, Def(i).answer});
  }
  rows.insert(rows.end(), extra_rows.begin(), extra_rows.end());
  DtuAttachPageAnswers(rows);
}

std::vector<DtuPageFieldInfo> DtuFieldTablePage::Fields() const {
  std::vector<DtuPageFieldInfo> out;
  for (size_t i = 0; i < FieldCount(); ++i) out.push_back(DtuFieldInfoOf(Def(i), Def(i).name));
  return out;
}

int DtuFieldTablePage::FindField(const std::string &name) const {
  for (size_t i = 0; i < FieldCount(); ++i) {
    if (DtuFieldNameEquals(name, Def(i).name)) return static_cast<int>(i);
  }
  return -1;
}

bool DtuFieldTablePage::GetField(const std::string &name, std::string &value) const {
  const int field = FindField(name);
  if (field < 0) return false;
  value = FieldValue(field);
  return true;
}

bool DtuFieldTablePage::SetField(const std::string &name, const std::string &value, std::string &error) {
  const int field = FindField(name);
  if (field < 0) {
    error = "unknown field: " + name;
    return false;
  }
  const DtuFieldDef &def = Def(field);
  if (def.kind != DtuFieldKind::kList) {
    if (!DtuTextValueAllowed(def.name, value, error)) return false;
    PutFieldValue(field, value);
    return true;
  }
  int index = 0;
  if (!DtuParseListIndex(value, def.list_size, index, error)) {
    error = std::string(def.name) + ": " + error;
    return false;
  }
  PutFieldValue(field, std::to_string(index));
  return true;
}

bool DtuFieldTablePage::Read() {
  if (!DtuPagePortOpen()) return false;
  std::vector<DtuPageLine> lines;
  for (size_t i = 0; i < FieldCount(); ++i) {
    if (Def(i).key) lines.push_back(DtuPageGetLine(Def(i).key, Def(i).name));
  }
  QueueRead(lines);
  EmptyForRead();
  return true;
}

void DtuFieldTablePage::AddSetLines(DtuSetLines &lines) const {
  for (size_t i = 0; i < FieldCount(); ++i) {
    const DtuFieldDef &def = Def(i);
    if (def.key) lines.Add(def.name, def.key, def.WireValue(FieldValue(i)));
  }
}

// What the device cannot take as typed is refused by name before anything
// is sent: a number outside the range its format fixes, a text holding one
// of its escape words.
bool DtuFieldTablePage::FieldUsable(size_t field, const std::string &label) const {
  const DtuFieldDef &def = Def(field);
  const std::string value = FieldValue(field);
  if (def.Ranged() && !DtuTypedNumberIn(value, def.min_value, def.max_value)) {
    char text[256];
    std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kNumberOutOfRange), label.c_str(), def.min_value,
                  def.max_value);
    DtuWarningBox(text);
    return false;
  }
  if (def.kind == DtuFieldKind::kText && DtuTypedHasEscapeWord(value)) {
    DtuWarningBox(DtuPageFormatText(DtuTextId::kEscapeWordTyped, label, 0));
    return false;
  }
  return true;
}

bool DtuFieldTablePage::TypedValuesUsable() const {
  for (size_t i = 0; i < FieldCount(); ++i) {
    if (!FieldUsable(i, Def(i).name)) return false;
  }
  return true;
}

bool DtuFieldTablePage::Set() {
  if (!DtuPagePortOpen()) return false;
  if (!SetAllowed() || !TypedValuesUsable()) return false;
  DtuSetLines lines;
  AddSetLines(lines);
  if (!lines.Fit()) return false;
  QueueSet(lines, SetConfirmedText());
  return true;
}

bool DtuFieldTablePage::FieldsFitFile() const {
  for (size_t i = 0; i < FieldCount(); ++i) {
    const DtuFieldDef &def = Def(i);
    if (def.file.capacity > 0 && !DtuPageFitsCapacity(def.name, FieldValue(i), def.file.capacity)) return false;
  }
  return true;
}

bool DtuFieldTablePage::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  const bool may_save = SaveCreatesMissingFile() ? DtuPageLoadConfigForSave(config) : DtuPageLoadConfig(config);
  if (!may_save || !FieldsFitFile()) return false;
  for (size_t i = 0; i < FieldCount(); ++i) {
    const DtuFieldDef &def = Def(i);
    if (def.file.Present()) def.file.put(config, def.FileValue(FieldValue(i)));
  }
  return DtuPageSaveConfig(config, SavedText(), NotSavedText());
}

bool DtuFieldTablePage::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  for (size_t i = 0; i < FieldCount(); ++i) {
    const DtuFieldDef &def = Def(i);
    if (def.file.Present()) PutFieldValue(i, def.ValueFromFile(def.file.get(config)));
  }
  FieldsReadFromFile(config);
  emit Changed();
  DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  return true;
}

size_t DtuFieldTablePage::LastKeyedField() const {
  size_t last = FieldCount();
  for (size_t i = 0; i < FieldCount(); ++i) {
    if (Def(i).key) last = i;
  }
  return last;
}

void DtuFieldTablePage::OnFieldAnswer(size_t field, const std::string &value) {
  PutFieldValue(field, value);
  emit Changed();
  OnFieldAnswered(field);
}

void DtuFieldTablePage::OnFieldAnswered(size_t field) {
  if (Def(field).confirms_set) ConfirmSet(SetConfirmedText());
  if (field == LastKeyedField()) FinishRead();
}
