// A page whose fields are declared once, in a table of DtuFieldDef: access by
// name, Read (a query per keyed field), Set (a set line per keyed field,
// checked as a whole), Save to Local (with the file's capacities) and Read
// Local all follow from the table. A page says where the values live and
// what it does beyond the table.
//
// A page of text fields (pages/kit/dtu_text_fields_page.h) passes its table to
// the constructor and attaches the handlers:
//
//   std::vector<DtuFieldDef> MqttFields() {
//     using G = DtuConfig::MqttGroup;
//     using F = DtuFileGroup<&DtuConfig::mqtt>;
//     return {DtuTextFieldDef("Server", "mqtt-addr")
//                 .AnsweredBy<&DtuMqtt::DtuMqttServerSet>()
//                 .StoredIn(F::Slot<&G::Server>()),
//             ...};
//   }
//   DtuMqtt::DtuMqtt(QObject *parent) : DtuTextFieldsPage(MqttFields(), parent) { AttachFieldAnswers(); }
//
// A page with a model struct derives from DtuBoundPage<Model>
// (pages/kit/dtu_page_fields.h) and returns {def, text member, index member}
// rows from Bindings(). The view is FieldTableView (app/views/kit/).
#pragma once

#include <string>
#include <vector>

#include "pages/kit/dtu_field_def.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_answers.h"

class DtuFieldTablePage : public DtuPage {
  Q_OBJECT

 public:
  using DtuPage::DtuPage;

  virtual size_t FieldCount() const = 0;
  virtual const DtuFieldDef &Def(size_t field) const = 0;

  std::vector<DtuPageFieldInfo> Fields() const override;
  bool GetField(const std::string &name, std::string &value) const override;
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;
  bool Read() override;
  bool Set() override;
  bool OnBnClickedBtSaveLocal() override;
  bool OnBnClickedBtReadLocal() override;
  bool OnBnClickedBtRead() { return Read(); }
  bool OnBnClickedBtSet() { return Set(); }

  // The set lines a Set would queue now, before the check that they fit.
  void AddSetLines(DtuSetLines &lines) const;
  // False (after a message naming `label`) when the field's value is one the
  // device cannot take as typed; TypedValuesUsable asks it of every field.
  bool FieldUsable(size_t field, const std::string &label) const;
  bool TypedValuesUsable() const;

 protected:
  // Attaches the answer handler of every keyed field to its key (a key the
  // answer table lacks gets a row), and the rows of `extra_rows` (keys some firmware writes for a field, a key that
  // carries several fields).
  // Called by the page's constructor, once its table is there.
  void AttachFieldAnswers(const std::vector<DtuPageAnswerRow> &extra_rows = {}) const;

  // A field's value: text, or a list field's index in decimal.
  virtual std::string FieldValue(size_t field) const = 0;
  virtual void PutFieldValue(size_t field, const std::string &value) = 0;
  // After a Read queued its queries: what the page shows while they are out.
  virtual void EmptyForRead() {}
  // Before a Set builds its lines: false (after telling the user) refuses it.
  virtual bool SetAllowed() { return true; }
  // A missing file is created by this page's Save to Local (the others
  // refuse it), and the texts that tell how it went.
  virtual bool SaveCreatesMissingFile() const { return false; }
  virtual DtuTextId SavedText() const { return DtuTextId::kSaveConfigSucceeded; }
  virtual DtuTextId NotSavedText() const { return DtuTextId::kSaveConfigFailed; }
  virtual DtuTextId SetConfirmedText() const { return DtuTextId::kConfigSucceeded; }
  // Save to Local refuses a text longer than the file holds, naming it.
  virtual bool FieldsFitFile() const;
  // Read Local put the file's values in; fields that follow from them (or
  // from what the file held, `config.FileNotes()`) are set here, before the
  // views are told.
  virtual void FieldsReadFromFile(const DtuConfig &config) { (void)config; }

  // The device's answer for one field, as the page keeps it: tells the
  // views, confirms a Set when the field says so and ends a Read at the
  // last keyed field.
  void OnFieldAnswer(size_t field, const std::string &value);
  // An answer that leaves the field as it was (a value the page cannot
  // show) still confirms and ends what it would.
  void OnFieldAnswered(size_t field);

 private:
  int FindField(const std::string &name) const;
  size_t LastKeyedField() const;
};
