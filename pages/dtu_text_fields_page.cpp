#include "pages/dtu_text_fields_page.h"

#include "pages/dtu_page_fields.h"
#include "pages/dtu_page_send.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

DtuTextFieldsPage::DtuTextFieldsPage(std::vector<DtuTextFieldDef> fields, int confirm_field, QObject *parent)
    : DtuPage(parent), values_(fields.size()), field_defs_(std::move(fields)), confirm_field_(confirm_field) {}

std::vector<DtuPageFieldInfo> DtuTextFieldsPage::Fields() const {
  std::vector<DtuPageFieldInfo> out;
  for (const DtuTextFieldDef &def : field_defs_) out.push_back({def.name, false, 0});
  return out;
}

bool DtuTextFieldsPage::GetField(const std::string &name, std::string &value) const {
  for (size_t i = 0; i < field_defs_.size(); ++i) {
    if (!DtuFieldNameEquals(name, field_defs_[i].name)) continue;
    value = values_[i];
    return true;
  }
  return false;
}

bool DtuTextFieldsPage::SetField(const std::string &name, const std::string &value, std::string &error) {
  for (size_t i = 0; i < field_defs_.size(); ++i) {
    if (!DtuFieldNameEquals(name, field_defs_[i].name)) continue;
    if (!DtuTextValueAllowed(field_defs_[i].name, value, error)) return false;
    values_[i] = value;
    return true;
  }
  error = "unknown field: " + name;
  return false;
}

bool DtuTextFieldsPage::Read() {
  if (!DtuPagePortOpen()) return false;
  std::vector<DtuPageLine> lines;
  for (const DtuTextFieldDef &def : field_defs_) lines.push_back(DtuPageGetLine(def.key, def.name));
  QueueRead(lines);
  for (std::string &value : values_) value.clear();
  emit Changed();
  return true;
}

bool DtuTextFieldsPage::Set() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  for (size_t i = 0; i < field_defs_.size(); ++i) lines.Add(field_defs_[i].name, field_defs_[i].key, values_[i]);
  if (!lines.Fit()) return false;
  QueueSet(lines);
  return true;
}

void DtuTextFieldsPage::OnAnswer(int field, const char *value) {
  values_[field] = value;
  emit Changed();
  if (field == confirm_field_) ConfirmSet(DtuTextId::kConfigSucceeded);
  if (field == static_cast<int>(field_defs_.size()) - 1) FinishRead();
}

bool DtuTextFieldsPage::FitCapacity(int field, size_t capacity) const {
  return DtuPageFitsCapacity(field_defs_[field].name, values_[field], capacity);
}

void DtuTextFieldsPage::SetAll(const std::vector<std::string> &values) {
  for (size_t i = 0; i < values_.size() && i < values.size(); ++i) values_[i] = values[i];
  emit Changed();
}
