// The pattern of the MQTT pages: a row of text fields, each with its own
// device key, read and set in one order; one answer confirms a Set.
#pragma once

#include <string>
#include <vector>

#include "pages/dtu_page.h"

struct DtuTextFieldDef {
  const char *name;  // the page's label ("Server", "PubTopic", ...)
  const char *key;   // device key for get and set ("mqtt-addr", ...)
};

class DtuTextFieldsPage : public DtuPage {
  Q_OBJECT

 public:
  // `fields` in the order of Read and Set; the answer to `confirm_field`
  // confirms a Set, the answer to the last field ends a Read.
  DtuTextFieldsPage(std::vector<DtuTextFieldDef> fields, int confirm_field, QObject *parent);

  const std::string &Text(int field) const { return values_[field]; }
  const std::vector<DtuTextFieldDef> &FieldDefs() const { return field_defs_; }

  std::vector<DtuPageFieldInfo> Fields() const override;
  bool GetField(const std::string &name, std::string &value) const override;
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;
  bool Read() override;
  bool Set() override;
  bool OnBnClickedBtRead() { return Read(); }
  bool OnBnClickedBtSet() { return Set(); }
  virtual bool OnBnClickedBtSaveLocal() = 0;
  virtual bool OnBnClickedBtReadLocal() = 0;

 protected:
  // An answer for one field: the value goes in unchanged.
  void OnAnswer(int field, const char *value);
  // Refuses (with a message naming the field and its capacity) when a field
  // is longer than the file holds.
  bool FitCapacity(int field, size_t capacity) const;
  // Read Local: fills every field.
  void SetAll(const std::vector<std::string> &values);

  std::vector<std::string> values_;

 private:
  std::vector<DtuTextFieldDef> field_defs_;
  int confirm_field_;
};
