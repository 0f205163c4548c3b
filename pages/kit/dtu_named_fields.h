// Fields reached by name that point into a page's model: a text, a list
// index, or a number in a range. The Modbus pages build their tables in
// loops (channels, rules, parameters), so names are made at run time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/dtu_text_id.h"
#include "pages/kit/dtu_page.h"

struct DtuNamedField {
  std::string name;
  std::string *text;  // a text field, or
  int *number;        // a list index / number in low..high
  int low, high;
  bool is_list;
  std::optional<DtuTextId> label = std::nullopt;  // the window's label, where it is not the name
  std::vector<std::string> (*items)() = nullptr;  // a list's entries, in the current language

  DtuNamedField Labelled(DtuTextId text_id) const {
    DtuNamedField field = *this;
    field.label = text_id;
    return field;
  }
  DtuNamedField Listing(std::vector<std::string> (*list_items)()) const {
    DtuNamedField field = *this;
    field.items = list_items;
    return field;
  }
};
using DtuNamedFields = std::vector<DtuNamedField>;

DtuNamedField DtuTextField(std::string name, std::string *text);
DtuNamedField DtuListField(std::string name, int *index, int size);
DtuNamedField DtuNumberField(std::string name, int *number, int low, int high);

// Names compare without regard to case; null for an unknown name.
const DtuNamedField *DtuFindNamedField(const DtuNamedFields &fields, const std::string &name);
std::vector<DtuPageFieldInfo> DtuNamedFieldInfo(const DtuNamedFields &fields);
bool DtuGetNamedField(const DtuNamedFields &fields, const std::string &name, std::string &value);
// A number or list index must be decimal and in range; the error names the
// field and the range.
bool DtuSetNamedField(const DtuNamedFields &fields, const std::string &name, const std::string &value,
                      std::string &error);

// A page whose fields are made at run time (channels, rules, parameters):
// access by name follows from `fields_`, which the page fills once its model
// is in place.
class DtuNamedFieldsPage : public DtuPage {
 public:
  using DtuPage::DtuPage;

  std::vector<DtuPageFieldInfo> Fields() const override { return DtuNamedFieldInfo(fields_); }
  bool GetField(const std::string &name, std::string &value) const override {
    return DtuGetNamedField(fields_, name, value);
  }
  bool SetField(const std::string &name, const std::string &value, std::string &error) override {
    return DtuSetNamedField(fields_, name, value, error);
  }

 protected:
  DtuNamedFields fields_;
};
