// Field tables: bind a page's field names to the members of its model, so
// that reading and writing a field by name is written once for all pages.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "pages/dtu_field_def.h"
#include "pages/dtu_field_table_page.h"

// A field of a page's model struct: its declaration and the member that
// holds it (a text, or a list index / number as an int).
template <class Model>
struct DtuFieldBinding {
  DtuFieldDef def;
  std::string Model::*text;  // a text field, or
  int Model::*index;         // a list field (index)
};

bool DtuFieldNameEquals(const std::string &a, const char *b);
// Every text a page takes passes here: a value holding a control character
// (CR, LF, tab, ESC, ... and DEL) would become a second command line on the
// wire, so it is refused with a message naming the field in `error`.
bool DtuTextValueAllowed(const std::string &name, const std::string &value, std::string &error);
// Parses a list index: decimal, 0 <= index < list_size.
bool DtuParseListIndex(const std::string &value, int list_size, int &index, std::string &error);

template <class Model>
std::vector<DtuPageFieldInfo> DtuBoundFieldInfo(const std::vector<DtuFieldBinding<Model>> &table) {
  std::vector<DtuPageFieldInfo> out;
  for (const auto &b : table) out.push_back({b.def.name, b.index != nullptr, b.def.list_size});
  return out;
}

template <class Model>
bool DtuGetBoundField(const std::vector<DtuFieldBinding<Model>> &table, const Model &model,
                      const std::string &name, std::string &value) {
  for (const auto &b : table) {
    if (!DtuFieldNameEquals(name, b.def.name)) continue;
    value = b.text ? model.*(b.text) : std::to_string(model.*(b.index));
    return true;
  }
  return false;
}

template <class Model>
bool DtuSetBoundField(const std::vector<DtuFieldBinding<Model>> &table, Model &model,
                      const std::string &name, const std::string &value, std::string &error) {
  for (const auto &b : table) {
    if (!DtuFieldNameEquals(name, b.def.name)) continue;
    if (b.text) {
      if (!DtuTextValueAllowed(b.def.name, value, error)) return false;
      model.*(b.text) = value;
      return true;
    }
    int index = 0;
    if (!DtuParseListIndex(value, b.def.list_size, index, error)) {
      error = std::string(b.def.name) + ": " + error;
      return false;
    }
    model.*(b.index) = index;
    return true;
  }
  error = "unknown field: " + name;
  return false;
}

// A page whose fields are all members of one model struct, declared by a
// binding table.
template <class ModelT>
class DtuBoundPage : public DtuFieldTablePage {
 public:
  using DtuFieldTablePage::DtuFieldTablePage;

  const ModelT &Model() const { return model_; }

  size_t FieldCount() const override { return Bindings().size(); }
  const DtuFieldDef &Def(size_t field) const override { return Bindings()[field].def; }

 protected:
  virtual const std::vector<DtuFieldBinding<ModelT>> &Bindings() const = 0;

  std::string FieldValue(size_t field) const override {
    const DtuFieldBinding<ModelT> &b = Bindings()[field];
    return b.text ? model_.*(b.text) : std::to_string(model_.*(b.index));
  }
  void PutFieldValue(size_t field, const std::string &value) override {
    const DtuFieldBinding<ModelT> &b = Bindings()[field];
    if (b.text) {
      model_.*(b.text) = value;
    } else {
      model_.*(b.index) = std::atoi(value.c_str());
    }
  }

  ModelT model_;
};
