// Field tables: bind a page's field names to the members of its model, so
// that reading and writing a field by name is written once for all pages.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "pages/dtu_page.h"

template <class Model>
struct DtuFieldBinding {
  const char *name;
  std::string Model::*text;  // a text field, or
  int Model::*index;         // a list field (index)
  int list_size;
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
  for (const auto &b : table) out.push_back({b.name, b.index != nullptr, b.list_size});
  return out;
}

template <class Model>
bool DtuGetBoundField(const std::vector<DtuFieldBinding<Model>> &table, const Model &model,
                      const std::string &name, std::string &value) {
  for (const auto &b : table) {
    if (!DtuFieldNameEquals(name, b.name)) continue;
    value = b.text ? model.*(b.text) : std::to_string(model.*(b.index));
    return true;
  }
  return false;
}

template <class Model>
bool DtuSetBoundField(const std::vector<DtuFieldBinding<Model>> &table, Model &model,
                      const std::string &name, const std::string &value, std::string &error) {
  for (const auto &b : table) {
    if (!DtuFieldNameEquals(name, b.name)) continue;
    if (b.text) {
      if (!DtuTextValueAllowed(b.name, value, error)) return false;
      model.*(b.text) = value;
      return true;
    }
    int index = 0;
    if (!DtuParseListIndex(value, b.list_size, index, error)) {
      error = std::string(b.name) + ": " + error;
      return false;
    }
    model.*(b.index) = index;
    return true;
  }
  error = "unknown field: " + name;
  return false;
}

// A page whose fields are all members of one model struct, named by a
// binding table.
template <class ModelT>
class DtuBoundPage : public DtuPage {
 public:
  using DtuPage::DtuPage;

  const ModelT &Model() const { return model_; }

  std::vector<DtuPageFieldInfo> Fields() const override { return DtuBoundFieldInfo(Bindings()); }
  bool GetField(const std::string &name, std::string &value) const override {
    return DtuGetBoundField(Bindings(), model_, name, value);
  }
  bool SetField(const std::string &name, const std::string &value, std::string &error) override {
    return DtuSetBoundField(Bindings(), model_, name, value, error);
  }

 protected:
  virtual const std::vector<DtuFieldBinding<ModelT>> &Bindings() const = 0;

  ModelT model_;
};
