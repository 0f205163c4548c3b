// Fields declared once and made for every channel (and every parameter of
// a channel): the Modbus pages' tables. Each row is a DtuFieldDef, as every
// page declares its fields (name, kind, a list's size and entries, a number's
// range, the window's label), with the place in the page's model that holds
// its value. A group of rows stands once (`channels` 0: the rows keep their
// names) or once per channel, its rows named stem + channel ("slave1"), and
// its parameter rows once per parameter of each channel, named
// stem + channel + parameter ("tag11"):
//
//   using Row = DtuFieldRow<Model>;
//   DtuFieldRowGroup<Model>::PerChannel(kChannels, {Row::Text(DtuTextFieldDef("slave", nullptr),
//       [](Model &m, int c, int) { return &m.rows[c - 1].slave; })})
//
// The made fields come in group order; within a channel, its rows, then each
// parameter's rows.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "pages/kit/dtu_field_def.h"
#include "pages/kit/dtu_page.h"

// One made field: its name, its declaration, and where its value is.
struct DtuMadeField {
  std::string name;
  const DtuFieldDef *def;
  std::string *text;  // a text field, or
  int *number;        // a number or list index
};
using DtuMadeFields = std::vector<DtuMadeField>;

template <class Model>
struct DtuFieldRow {
  DtuFieldDef def;  // its name is the stem of the made names
  std::string *(*text)(Model &model, int channel, int param) = nullptr;
  int *(*number)(Model &model, int channel, int param) = nullptr;

  static DtuFieldRow Text(DtuFieldDef def, std::string *(*text)(Model &, int, int)) { return {def, text, nullptr}; }
  static DtuFieldRow Number(DtuFieldDef def, int *(*number)(Model &, int, int)) { return {def, nullptr, number}; }
};

template <class Model>
struct DtuFieldRowGroup {
  using Rows = std::vector<DtuFieldRow<Model>>;
  int channels = 0;  // 0: the rows stand once, by their own names
  Rows rows;
  int params = 0;  // parameters of each channel
  Rows param_rows;

  static DtuFieldRowGroup Once(Rows rows) { return {0, std::move(rows), 0, {}}; }
  static DtuFieldRowGroup PerChannel(int channels, Rows rows, int params = 0, Rows param_rows = {}) {
    return {channels, std::move(rows), params, std::move(param_rows)};
  }
};

// The fields of `groups` over one model (which must outlive them).
template <class Model>
DtuMadeFields DtuMakeFields(const std::vector<DtuFieldRowGroup<Model>> &groups, Model &model) {
  DtuMadeFields made;
  auto add = [&made, &model](const DtuFieldRow<Model> &row, const std::string &suffix, int channel, int param) {
    made.push_back({row.def.name + suffix, &row.def, row.text ? row.text(model, channel, param) : nullptr,
                    row.number ? row.number(model, channel, param) : nullptr});
  };
  for (const DtuFieldRowGroup<Model> &group : groups) {
    if (group.channels == 0) {
      for (const DtuFieldRow<Model> &row : group.rows) add(row, "", 0, 0);
      continue;
    }
    for (int c = 1; c <= group.channels; ++c) {
      const std::string n = std::to_string(c);
      for (const DtuFieldRow<Model> &row : group.rows) add(row, n, c, 0);
      for (int p = 1; p <= group.params; ++p) {
        for (const DtuFieldRow<Model> &row : group.param_rows) add(row, n + std::to_string(p), c, p);
      }
    }
  }
  return made;
}

// What `varnokctl fields` shows of a declared field, under `name`.
DtuPageFieldInfo DtuFieldInfoOf(const DtuFieldDef &def, const std::string &name);

// A page whose fields are made from row groups: access by name follows from
// `fields_`, which the page fills once its model is in place. Names compare
// without regard to case; a number or list index must be decimal and in its
// range, and the error names the field and the range.
class DtuMadeFieldsPage : public DtuPage {
 public:
  using DtuPage::DtuPage;

  std::vector<DtuPageFieldInfo> Fields() const override;
  bool GetField(const std::string &name, std::string &value) const override;
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;

 protected:
  DtuMadeFields fields_;

 private:
  const DtuMadeField *Find(const std::string &name) const;
};
