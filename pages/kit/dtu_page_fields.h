// Field tables: bind a page's field names to the members of its model, so
// that reading and writing a field by name is written once for all pages.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "pages/kit/dtu_field_def.h"
#include "pages/kit/dtu_field_table_page.h"

// A field of a page's model struct: its declaration and the member that
// holds it (a text, or a list index / number as an int).
template <class Model>
struct DtuFieldBinding {
  DtuFieldDef def;
  std::string Model::*text;  // a text field, or
  int Model::*index;         // a list field (index)

  // The field's value as the page hands it around: the text, or the index
  // in decimal.
  std::string Get(const Model &model) const { return text ? model.*text : std::to_string(model.*index); }
  void Put(Model &model, const std::string &value) const {
    if (text) {
      model.*text = value;
    } else {
      model.*index = std::atoi(value.c_str());
    }
  }
};

bool DtuFieldNameEquals(const std::string &a, const char *b);
// Every text a page takes passes here: a value holding a control character
// (CR, LF, tab, ESC, ... and DEL) would become a second command line on the
// wire, so it is refused with a message naming the field in `error`.
bool DtuTextValueAllowed(const std::string &name, const std::string &value, std::string &error);
// Parses a list index: decimal, 0 <= index < list_size.
bool DtuParseListIndex(const std::string &value, int list_size, int &index, std::string &error);

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

  std::string FieldValue(size_t field) const override { return Bindings()[field].Get(model_); }
  void PutFieldValue(size_t field, const std::string &value) override { Bindings()[field].Put(model_, value); }

  ModelT model_;
};
