// The business packet page's fields by name, for varnokctl: the selected
// packet's keys of the [BHU] section, with values as the file stores them,
// declared once as rows and made for each packet with its suffix
// ("funcSwitch_login", "itemType3_heartBeat", ...).
#include "base/dtu_text_id.h"
#include "pages/bhu/dtu_bhu.h"
#include "pages/kit/dtu_page_fields.h"

namespace {

using Model = DtuBhuPacketModel;
using Row = DtuFieldRow<Model>;
using Group = DtuFieldRowGroup<Model>;
using T = DtuTextId;

const char *const kSuffixes[kDtuBhuPacketTypes] = {"_login", "_heartBeat", "_UserData", "_header"};

constexpr int kSwitchItems = 2;
constexpr int kDataTypes = 3;

// dataType: the packet's format, and for HEX how its content is made (the
// window's format and edit mode lists in one).
std::vector<std::string> DataTypeItems() {
  const std::vector<std::string> formats = DtuBhu::FormatItems();
  const std::vector<std::string> modes = DtuBhu::EditModeItems();
  return {formats[0], formats[1] + " (" + modes[0] + ")", formats[1] + " (" + modes[1] + ")"};
}

// A text as it is.
template <std::string Model::*Member>
Row TextRow(DtuFieldDef def) {
  return Row::Coded(
      def, [](const Model &m, int, int) { return m.*Member; },
      [](Model &m, int, int, const std::string &value, std::string &) {
        m.*Member = value;
        return true;
      });
}

Row SwitchRow() {
  return Row::Coded(
      DtuListFieldDef("funcSwitch", nullptr, kSwitchItems)
          .Labelled(T::kModbusFunctionSwitch)
          .Listing(&DtuBhu::SwitchItems),
      [](const Model &m, int, int) { return std::to_string(m.on); },
      [](Model &m, int, int, const std::string &value, std::string &error) {
        return DtuParseListIndex(value, kSwitchItems, m.on, error);
      });
}

Row DataTypeRow() {
  return Row::Coded(
      DtuListFieldDef("dataType", nullptr, kDataTypes).Labelled(T::kBhuPacketFormat).Listing(&DataTypeItems),
      [](const Model &m, int, int) { return std::to_string(m.DataType()); },
      [](Model &m, int, int, const std::string &value, std::string &error) {
        int number = 0;
        if (!DtuParseListIndex(value, kDataTypes, number, error)) return false;
        m.SetDataType(number);
        return true;
      });
}

Row CountRow() {
  return Row::Coded(
      DtuNumberFieldDef("itemNum", nullptr).Ranging(1, kDtuBhuFieldsMax).Labelled(T::kBhuFieldCount),
      [](const Model &m, int, int) { return std::to_string(m.field_count); },
      [](Model &m, int, int, const std::string &value, std::string &error) {
        int parsed = 0;
        if (!DtuParseListIndex(value, kDtuBhuFieldsMax + 1, parsed, error) || parsed < 1) {
          error = "expects a field count 1.." + std::to_string(kDtuBhuFieldsMax) + ", got \"" + value + "\"";
          return false;
        }
        m.field_count = parsed;
        return true;
      });
}

Row ItemTypeRow() {
  return Row::Coded(
      DtuListFieldDef("itemType", nullptr, kDtuBhuFieldTypes)
          .Labelled(T::kBhuValueType)
          .Listing(&DtuBhu::FieldTypeItems),
      [](const Model &m, int n, int) { return std::to_string(m.fields[n - 1].type); },
      [](Model &m, int n, int, const std::string &value, std::string &error) {
        return DtuParseListIndex(value, kDtuBhuFieldTypes, m.fields[n - 1].type, error);
      });
}

Row ItemDataRow() {
  return Row::Coded(
      DtuTextFieldDef("itemData", nullptr).Labelled(T::kBhuValue),
      [](const Model &m, int n, int) { return m.fields[n - 1].value; },
      [](Model &m, int n, int, const std::string &value, std::string &) {
        m.fields[n - 1].value = value;
        return true;
      });
}

// Every packet's rows; only the packets with a period have a cycle.
std::vector<Group> PacketRows(DtuBhuPacketType type) {
  Group::Rows head = {SwitchRow()};
  if (DtuBhuHasPeriod(type))
    head.push_back(TextRow<&Model::period>(DtuTextFieldDef("cycle", nullptr).Labelled(T::kBhuCycle)));
  head.push_back(DataTypeRow());
  head.push_back(TextRow<&Model::content>(DtuTextFieldDef("data", nullptr).Labelled(T::kBhuPacketContent)));
  head.push_back(CountRow());
  const char *suffix = kSuffixes[static_cast<int>(type)];
  return {Group::Once(head, suffix),
          Group::PerChannelWithSuffix(kDtuBhuFieldsMax, {ItemTypeRow(), ItemDataRow()}, suffix)};
}

const std::vector<Group> &Rows(DtuBhuPacketType type) {
  static const std::vector<Group> rows[kDtuBhuPacketTypes] = {
      PacketRows(DtuBhuPacketType::kLogin), PacketRows(DtuBhuPacketType::kHeart), PacketRows(DtuBhuPacketType::kData),
      PacketRows(DtuBhuPacketType::kHeader)};
  return rows[static_cast<int>(type)];
}

}  // namespace

void DtuBhu::BuildFields() {
  for (int t = 0; t < kDtuBhuPacketTypes; ++t) {
    const auto type = static_cast<DtuBhuPacketType>(t);
    fields_[t] = DtuMakeFields(Rows(type), packets_[t]);
  }
}

std::vector<DtuPageFieldInfo> DtuBhu::Fields() const { return DtuMadeFieldsInfo(fields_[static_cast<int>(selected_)]); }

bool DtuBhu::GetField(const std::string &name, std::string &value) const {
  return DtuGetMadeField(fields_[static_cast<int>(selected_)], name, value);
}

bool DtuBhu::SetField(const std::string &name, const std::string &value, std::string &error) {
  return DtuSetMadeField(fields_[static_cast<int>(selected_)], name, value, error);
}
