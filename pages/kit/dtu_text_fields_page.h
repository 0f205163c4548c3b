// The pattern of the MQTT pages: a row of text fields, each with its own
// device key, read and set in one order; one answer confirms a Set.
#pragma once

#include <string>
#include <vector>

#include "pages/kit/dtu_field_table_page.h"

class DtuTextFieldsPage : public DtuFieldTablePage {
  Q_OBJECT

 public:
  // `fields` in the order of Read and Set; the answer to the last one ends
  // a Read.
  DtuTextFieldsPage(std::vector<DtuFieldDef> fields, QObject *parent);

  const std::string &Text(int field) const { return values_[field]; }

  size_t FieldCount() const override { return field_defs_.size(); }
  const DtuFieldDef &Def(size_t field) const override { return field_defs_[field]; }

 protected:
  // An answer for one field: the value goes in unchanged.
  void OnAnswer(int field, const char *value) { OnFieldAnswer(field, value); }
  std::string FieldValue(size_t field) const override { return values_[field]; }
  void PutFieldValue(size_t field, const std::string &value) override { values_[field] = value; }
  void EmptyForRead() override;

 private:
  std::vector<DtuFieldDef> field_defs_;
  std::vector<std::string> values_;
};
