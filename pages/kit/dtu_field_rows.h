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
// A group may also end every name with a suffix of its own ("_login": the
// business packets, one group list per packet). A row whose value the model
// keeps otherwise than as its text or number (a switch kept as its list
// index, a count parsed with a message of its own) is read and written
// through its codec (DtuFieldRow::Coded). The made fields come in group
// order; within a channel, its rows, then each parameter's rows.
//
// A group whose made names are the keys of a file section (StoredIn) gives
// the page its Save to Local and Read Local: DtuStoreMadeFields and
// DtuLoadMadeFields, on the fields the page keeps for the step.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "pages/kit/dtu_field_def.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_typed_number.h"

// A text field holding a typed number, which the file keeps as an int.
inline DtuFieldDef DtuTypedIntFieldDef(const char *name) {
  return DtuTextFieldDef(name, nullptr).WithCodec({nullptr, &DtuTypedFileInt, nullptr});
}

// One made field: its name, its declaration, and where its value is.
struct DtuMadeField {
  std::string name;
  const DtuFieldDef *def;
  std::string *text;  // a text field, or
  int *number;        // a number or list index, or
  std::function<std::string()> get;  // a coded field: its value, and
  // its Set; `error` says what is wrong with the value (the caller adds the name)
  std::function<bool(const std::string &value, std::string &error)> set;
  int mark = 0;         // the row's mark, for the page's own use
  int channel = 0;      // the channel it was made for; 0: none
  bool listed = true;   // shown by Fields(); otherwise reached by name only
  int param = 0;        // the channel's parameter it was made for; 0: none
  const char *section = nullptr;  // the file section keyed by its name; null: not in the file
};
using DtuMadeFields = std::vector<DtuMadeField>;

template <class Model>
struct DtuFieldRow {
  DtuFieldDef def;  // its name is the stem of the made names
  using Get = std::string (*)(const Model &model, int channel, int param);
  using Set = bool (*)(Model &model, int channel, int param, const std::string &value, std::string &error);
  std::string *(*text)(Model &model, int channel, int param) = nullptr;
  int *(*number)(Model &model, int channel, int param) = nullptr;
  Get get = nullptr;
  Set set = nullptr;
  int mark = 0;  // copied to each made field, for the page's own use

  DtuFieldRow Marked(int row_mark) const {
    DtuFieldRow row = *this;
    row.mark = row_mark;
    return row;
  }

  static DtuFieldRow Text(DtuFieldDef def, std::string *(*text)(Model &, int, int)) {
    return {def, text, nullptr, nullptr, nullptr, 0};
  }
  static DtuFieldRow Number(DtuFieldDef def, int *(*number)(Model &, int, int)) {
    return {def, nullptr, number, nullptr, nullptr, 0};
  }
  static DtuFieldRow Coded(DtuFieldDef def, Get get, Set set) { return {def, nullptr, nullptr, get, set, 0}; }
};

template <class Model>
struct DtuFieldRowGroup {
  using Rows = std::vector<DtuFieldRow<Model>>;
  int channels = 0;  // 0: the rows stand once, by their own names
  Rows rows;
  int params = 0;  // parameters of each channel
  Rows param_rows;
  std::string suffix;           // after every made name
  std::string param_separator;  // between the channel and the parameter ("di1_2")
  bool listed = true;           // false: the made fields are reached by name only
  const char *section = nullptr;  // the file section whose keys the made names are

  static DtuFieldRowGroup Once(Rows rows, std::string suffix = "") {
    return {0, std::move(rows), 0, {}, suffix, "", true};
  }
  static DtuFieldRowGroup PerChannel(int channels, Rows rows, int params = 0, Rows param_rows = {},
                                     std::string param_separator = "") {
    return {channels, std::move(rows), params, std::move(param_rows), "", param_separator, true};
  }
  static DtuFieldRowGroup PerChannelWithSuffix(int channels, Rows rows, std::string suffix) {
    return {channels, std::move(rows), 0, {}, suffix, "", true};
  }
  DtuFieldRowGroup Unlisted() const {
    DtuFieldRowGroup group = *this;
    group.listed = false;
    return group;
  }
  DtuFieldRowGroup StoredIn(const char *file_section) const {
    DtuFieldRowGroup group = *this;
    group.section = file_section;
    return group;
  }
};

// The fields of `groups` over one model (which must outlive them).
template <class Model>
DtuMadeFields DtuMakeFields(const std::vector<DtuFieldRowGroup<Model>> &groups, Model &model) {
  DtuMadeFields made;
  const DtuFieldRowGroup<Model> *in = nullptr;  // the group being made
  auto add = [&made, &model, &in](const DtuFieldRow<Model> &row, const std::string &suffix, int channel, int param) {
    DtuMadeField field{row.def.name + suffix, &row.def, row.text ? row.text(model, channel, param) : nullptr,
                       row.number ? row.number(model, channel, param) : nullptr, nullptr, nullptr, row.mark,
                       channel, in->listed, param, in->section};
    if (row.get != nullptr) {
      field.get = [&model, get = row.get, channel, param] { return get(model, channel, param); };
      field.set = [&model, set = row.set, channel, param](const std::string &value, std::string &error) {
        return set(model, channel, param, value, error);
      };
    }
    made.push_back(std::move(field));
  };
  for (const DtuFieldRowGroup<Model> &group : groups) {
    in = &group;
    if (group.channels == 0) {
      for (const DtuFieldRow<Model> &row : group.rows) add(row, group.suffix, 0, 0);
      continue;
    }
    for (int c = 1; c <= group.channels; ++c) {
      const std::string n = std::to_string(c);
      for (const DtuFieldRow<Model> &row : group.rows) add(row, n + group.suffix, c, 0);
      for (int p = 1; p <= group.params; ++p) {
        for (const DtuFieldRow<Model> &row : group.param_rows) add(row, n + group.param_separator + std::to_string(p) + group.suffix, c, p);
      }
    }
  }
  return made;
}

// What `varnokctl fields` shows of a declared field, under `name`.
DtuPageFieldInfo DtuFieldInfoOf(const DtuFieldDef &def, const std::string &name);

// The value of a made field as the page hands it around (see DtuFieldDef).
std::string DtuMadeFieldValue(const DtuMadeField &field);

// Save to Local and Read Local of made fields: each field of a section that
// `kept` takes, in field order (so a count read before its channels can
// decide which channels are kept), goes into the record as its codec stores
// it, or comes back from it. A text comes back as stored; a number or list
// index when it is a decimal in its range, and otherwise as the field's
// file fallback (a list's: 0), or not at all.
using DtuMadeFieldFilter = std::function<bool(const DtuMadeField &field)>;
void DtuStoreMadeFields(const DtuMadeFields &fields, const DtuMadeFieldFilter &kept, DtuConfig &config);
void DtuLoadMadeFields(const DtuMadeFields &fields, const DtuMadeFieldFilter &kept, const DtuConfig &config);

// Access by name to made fields. Names compare without regard to case; a
// text must hold no control character; a number or list index must be
// decimal and in its range, and the error names the field and the range; a
// coded field's Set says what it refused, after the name.
std::vector<DtuPageFieldInfo> DtuMadeFieldsInfo(const DtuMadeFields &fields);  // the listed ones
const DtuMadeField *DtuFindMadeField(const DtuMadeFields &fields, const std::string &name);
bool DtuGetMadeField(const DtuMadeFields &fields, const std::string &name, std::string &value);
bool DtuSetMadeField(const DtuMadeFields &fields, const std::string &name, const std::string &value,
                     std::string &error);

// A page whose fields are made from row groups: access by name follows from
// `fields_`, which the page fills once its model is in place.
class DtuMadeFieldsPage : public DtuPage {
 public:
  using DtuPage::DtuPage;

  std::vector<DtuPageFieldInfo> Fields() const override { return DtuMadeFieldsInfo(fields_); }
  bool GetField(const std::string &name, std::string &value) const override {
    return DtuGetMadeField(fields_, name, value);
  }
  bool SetField(const std::string &name, const std::string &value, std::string &error) override {
    return DtuSetMadeField(fields_, name, value, error);
  }

 protected:
  DtuMadeFields fields_;
};
