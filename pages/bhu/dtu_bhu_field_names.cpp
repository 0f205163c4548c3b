// The business packet page's fields by name, for varnokctl: the selected
// packet's keys of the [BHU] section, with values as the file stores them.
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "base/dtu_text_id.h"
#include "pages/bhu/dtu_bhu.h"
#include "pages/kit/dtu_page_fields.h"

namespace {

const char *const kSuffixes[kDtuBhuPacketTypes] = {"login", "heartBeat", "UserData", "header"};

constexpr int kSwitchItems = 2;
constexpr int kDataTypes = 3;

// A name split into its stem ("itemType"), item number (1..10, 0 for none)
// and whether its suffix is the selected packet's.
struct FieldName {
  std::string stem;
  int item = 0;
};

bool SplitName(const std::string &name, const char *suffix, FieldName &out) {
  const std::string tail = std::string("_") + suffix;
  if (name.size() <= tail.size() || strcasecmp(name.c_str() + name.size() - tail.size(), tail.c_str()) != 0) {
    return false;
  }
  out.stem = name.substr(0, name.size() - tail.size());
  for (const char *numbered : {"itemType", "itemData"}) {
    const size_t length = std::strlen(numbered);
    if (out.stem.size() <= length || strncasecmp(out.stem.c_str(), numbered, length) != 0) continue;
    const std::string digits = out.stem.substr(length);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    out.item = std::atoi(digits.c_str());
    out.stem = numbered;
    return out.item >= 1 && out.item <= kDtuBhuFieldsMax;
  }
  return true;
}

bool Is(const FieldName &name, const char *stem) { return DtuFieldNameEquals(name.stem, stem); }

bool ParseCount(const std::string &value, int &count, std::string &error) {
  int parsed = 0;
  if (!DtuParseListIndex(value, kDtuBhuFieldsMax + 1, parsed, error) || parsed < 1) {
    error = "expects a field count 1.." + std::to_string(kDtuBhuFieldsMax) + ", got \"" + value + "\"";
    return false;
  }
  count = parsed;
  return true;
}

// The window's label of a field, and a list's entries.
DtuPageFieldInfo Described(DtuPageFieldInfo info, DtuTextId label, std::vector<std::string> (*items)() = nullptr) {
  info.label = label;
  info.items = items;
  return info;
}

// dataType: the packet's format, and for HEX how its content is made (the
// window's format and edit mode lists in one).
std::vector<std::string> DataTypeItems() {
  const std::vector<std::string> formats = DtuBhu::FormatItems();
  const std::vector<std::string> modes = DtuBhu::EditModeItems();
  return {formats[0], formats[1] + " (" + modes[0] + ")", formats[1] + " (" + modes[1] + ")"};
}

}  // namespace

std::vector<DtuPageFieldInfo> DtuBhu::Fields() const {
  using T = DtuTextId;
  const std::string suffix = std::string("_") + kSuffixes[static_cast<int>(selected_)];
  std::vector<DtuPageFieldInfo> fields = {Described({"funcSwitch" + suffix, true, kSwitchItems}, T::kModbusFunctionSwitch, &SwitchItems)};
  if (DtuBhuHasPeriod(selected_)) fields.push_back(Described({"cycle" + suffix, false, 0}, T::kBhuCycle));
  fields.push_back(Described({"dataType" + suffix, true, kDataTypes}, T::kBhuPacketFormat, &DataTypeItems));
  fields.push_back(Described({"data" + suffix, false, 0}, T::kBhuPacketContent));
  DtuPageFieldInfo count{"itemNum" + suffix, false, 0};
  count.is_number = true;
  count.min_value = 1;
  count.max_value = kDtuBhuFieldsMax;
  fields.push_back(Described(count, T::kBhuFieldCount));
  for (int n = 1; n <= kDtuBhuFieldsMax; ++n) {
    fields.push_back(Described({"itemType" + std::to_string(n) + suffix, true, kDtuBhuFieldTypes}, T::kBhuValueType,
                               &FieldTypeItems));
    fields.push_back(Described({"itemData" + std::to_string(n) + suffix, false, 0}, T::kBhuValue));
  }
  return fields;
}

bool DtuBhu::GetField(const std::string &name, std::string &value) const {
  FieldName field;
  if (!SplitName(name, kSuffixes[static_cast<int>(selected_)], field)) return false;
  const DtuBhuPacketModel &packet = Current();
  if (Is(field, "funcSwitch")) {
    value = std::to_string(packet.on);
  } else if (Is(field, "cycle") && DtuBhuHasPeriod(selected_)) {
    value = packet.period;
  } else if (Is(field, "dataType")) {
    value = std::to_string(packet.DataType());
  } else if (Is(field, "data")) {
    value = packet.content;
  } else if (Is(field, "itemNum")) {
    value = std::to_string(packet.field_count);
  } else if (field.item > 0) {
    const DtuBhuField &item = packet.fields[field.item - 1];
    value = Is(field, "itemType") ? std::to_string(item.type) : item.value;
  } else {
    return false;
  }
  return true;
}

bool DtuBhu::SetField(const std::string &name, const std::string &value, std::string &error) {
  FieldName field;
  std::string unused;
  if (!SplitName(name, kSuffixes[static_cast<int>(selected_)], field) || !GetField(name, unused)) {
    error = "unknown field: " + name;
    return false;
  }
  DtuBhuPacketModel &packet = Edit();
  int number = 0;
  bool ok = true;
  if (Is(field, "funcSwitch")) {
    ok = DtuParseListIndex(value, kSwitchItems, packet.on, error);
  } else if (Is(field, "cycle")) {
    packet.period = value;
  } else if (Is(field, "dataType")) {
    if ((ok = DtuParseListIndex(value, kDataTypes, number, error))) packet.SetDataType(number);
  } else if (Is(field, "data")) {
    packet.content = value;
  } else if (Is(field, "itemNum")) {
    ok = ParseCount(value, packet.field_count, error);
  } else if (Is(field, "itemType")) {
    ok = DtuParseListIndex(value, kDtuBhuFieldTypes, packet.fields[field.item - 1].type, error);
  } else {
    packet.fields[field.item - 1].value = value;
  }
  if (!ok) error = name + ": " + error;
  return ok;
}
