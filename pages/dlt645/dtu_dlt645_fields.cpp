// The DL/T 645 page's fields by name, declared once as rows and made for the
// meter channels, the configure channels and their parameters. varnokctl
// lists the configuration file's keys with the file's values ("funcSwitch"
// 1 = ON, "maxChannel", "addr1", "di1_2", "rule2", "paramCnt2", "tag2_3",
// "ruleDi2_3", ...); the view binds its widgets to names of its own for the
// rule on view ("ConfigChannelIndex", "Rule", "ParamCount", "Tag1",
// "RuleDi1", "DataType1", ...), list fields by index. Those are not listed.
// Each row's codec finds its place in the model afresh on every access, so
// the view's rule fields follow the configure channel on view.
#include <cstdlib>
#include <string>

#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/kit/dtu_page_fields.h"

namespace {

using Model = DtuDlt645Model;
using Row = DtuFieldRow<Model>;
using Group = DtuFieldRowGroup<Model>;
using T = DtuTextId;

// The rule a field belongs to, where a Set marks the rule as changed: the
// configure channel the row was made for, or the one on view.
constexpr int kRuleOfChannel = 1;
constexpr int kRuleOnView = 2;

bool ParseNumber(const std::string &value, int low, int high, int &out, std::string &error) {
  char *end = nullptr;
  const long v = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || v < low || v > high) {
    error = "expected a number " + std::to_string(low) + ".." + std::to_string(high) + ", got \"" + value + "\"";
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

// A text kept as it is; Place::At(model, c, p) is where.
template <class Place>
Row TextRow(DtuFieldDef def) {
  return Row::Coded(
      def, [](const Model &m, int c, int p) { return std::string(Place::At(m, c, p)); },
      [](Model &m, int c, int p, const std::string &value, std::string &) {
        Place::At(m, c, p) = value;
        return true;
      });
}

// The text v in Low..High is kept as v + Add (a list index for a count from 1).
template <class Place, int Low, int High, int Add = 0>
Row NumberRow(DtuFieldDef def) {
  return Row::Coded(
      def, [](const Model &m, int c, int p) { return std::to_string(Place::At(m, c, p) - Add); },
      [](Model &m, int c, int p, const std::string &value, std::string &error) {
        int v = 0;
        if (!ParseNumber(value, Low, High, v, error)) return false;
        Place::At(m, c, p) = v + Add;
        return true;
      });
}

// Places in the model: `c` is the row's channel (a meter or configure
// channel, or a parameter of the rule on view), `p` its parameter.
#define DTU_DLT645_PLACE(Name, expression) \
  struct Name {                            \
    template <class M>                     \
    static auto &At(M &m, int c, int p) {  \
      (void)c;                             \
      (void)p;                             \
      return expression;                   \
    }                                      \
  }
DTU_DLT645_PLACE(ChannelCount, m.channel_count);
DTU_DLT645_PLACE(ConfigChannel, m.config_channel);
DTU_DLT645_PLACE(SwitchIndex, m.switch_index);
DTU_DLT645_PLACE(MeterAddr, m.meters[c - 1].addr);
DTU_DLT645_PLACE(MeterPreamble, m.meters[c - 1].preamble);
DTU_DLT645_PLACE(MeterCycle, m.meters[c - 1].cycle);
DTU_DLT645_PLACE(MeterDiNum, m.meters[c - 1].di_num);
DTU_DLT645_PLACE(MeterDiList, m.meters[c - 1].di_list);
DTU_DLT645_PLACE(RuleOfChannel, m.Rule(c).rule);
DTU_DLT645_PLACE(RuleOnView, m.Rule(m.config_channel).rule);
DTU_DLT645_PLACE(CountOnView, m.Rule(m.config_channel).param_count);
// A parameter row of configure channel c, or parameter c of the rule on view.
DTU_DLT645_PLACE(ParamOfChannel, m.Rule(c).params[p - 1]);
DTU_DLT645_PLACE(ParamOnView, m.Rule(m.config_channel).params[c - 1]);
#undef DTU_DLT645_PLACE

// A member of a parameter row: ParamField<ParamOfChannel, &DtuDlt645ParamRow::tag>.
template <class Param, auto Member>
struct ParamField {
  template <class M>
  static auto &At(M &m, int c, int p) {
    return Param::At(m, c, p).*Member;
  }
};

// The file and the wire say 1 for ON; the switch list has ON first.
Row FuncSwitchRow() {
  return Row::Coded(
      DtuNumberFieldDef("funcSwitch", nullptr).Ranging(0, 1).Labelled(T::kModbusFunctionSwitch),
      [](const Model &m, int, int) { return std::string(m.switch_index == 0 ? "1" : "0"); },
      [](Model &m, int, int, const std::string &value, std::string &error) {
        int v = 0;
        if (!ParseNumber(value, 0, 1, v, error)) return false;
        m.switch_index = v == 1 ? 0 : 1;
        return true;
      });
}

// A Transparent rule has no parameters (0); a Parse rule keeps at least one.
Row ParamCountRow() {
  return Row::Coded(
      DtuNumberFieldDef("paramCnt", nullptr).Ranging(0, kDlt645Params).Labelled(T::kDltParameterCount),
      [](const Model &m, int c, int) {
        const DtuDlt645RuleRows &rule = m.Rule(c);
        return std::to_string(rule.rule == 1 ? rule.param_count : 0);
      },
      [](Model &m, int c, int, const std::string &value, std::string &error) {
        int v = 0;
        if (!ParseNumber(value, 0, kDlt645Params, v, error)) return false;
        m.Rule(c).param_count = v < 1 ? 1 : v;
        return true;
      });
}

// DI code p of meter channel c, one entry of the channel's "," list.
Row DiCodeRow() {
  return Row::Coded(
      DtuTextFieldDef("di", nullptr).Labelled(T::kDltHeadDiItem),
      [](const Model &m, int c, int p) {
        const std::vector<std::string> codes = DtuDlt645SplitDiList(m.meters[c - 1].di_list);
        return p <= static_cast<int>(codes.size()) ? codes[p - 1] : std::string();
      },
      [](Model &m, int c, int p, const std::string &value, std::string &) {
        std::vector<std::string> codes = DtuDlt645SplitDiList(m.meters[c - 1].di_list);
        if (static_cast<int>(codes.size()) < p) codes.resize(p);
        codes[p - 1] = value;
        std::string list;
        for (const std::string &code : codes) list += (list.empty() ? "" : ",") + code;
        m.meters[c - 1].di_list = list;
        return true;
      });
}

// The file keeps the multiplier as sent; the view edits the text as typed.
Row FileRateRow() {
  Row row = TextRow<ParamField<ParamOfChannel, &DtuDlt645ParamRow::rate>>(
      DtuTextFieldDef("rate", nullptr).Labelled(T::kDltHeadMultiplier));
  row.get = [](const Model &m, int c, int p) {
    return std::to_string(DtuDlt645RateToSend(m.Rule(c).params[p - 1].rate));
  };
  return row;
}

// A parameter row's six fields, of configure channel c (the file's keys) or
// of the rule on view (the view's names).
template <class Param>
Group::Rows ParamRows(Row rate, int mark) {
  using P = DtuDlt645ParamRow;
  using D = DtuDLT645;
  return {
      TextRow<ParamField<Param, &P::tag>>(DtuTextFieldDef("tag", nullptr).Labelled(T::kDltHeadParameterTag))
          .Marked(mark),
      TextRow<ParamField<Param, &P::di>>(DtuTextFieldDef("ruleDi", nullptr).Labelled(T::kDltHeadDiItem)).Marked(mark),
      NumberRow<ParamField<Param, &P::data_type>, 0, D::kDataTypeCount - 1>(
          DtuListFieldDef("dataType", nullptr, D::kDataTypeCount)
              .Labelled(T::kDltHeadDataType)
              .Listing(&D::DataTypeItems))
          .Marked(mark),
      NumberRow<ParamField<Param, &P::data_endian>, 0, D::kEndianCount - 1>(
          DtuListFieldDef("dataEndian", nullptr, D::kEndianCount)
              .Labelled(T::kDltHeadByteEndian)
              .Listing(&D::EndianItems))
          .Marked(mark),
      NumberRow<ParamField<Param, &P::data_rule>, 0, D::kDataRuleCount - 1>(
          DtuListFieldDef("dataRule", nullptr, D::kDataRuleCount)
              .Labelled(T::kDltHeadConversionRule)
              .Listing(&D::DataRuleItems))
          .Marked(mark),
      rate.Marked(mark)};
}

// Listed fields in the order varnokctl prints them, then the view's names.
std::vector<Group> BuildRows() {
  using D = DtuDLT645;
  const int n = kDlt645Channels;
  return {
      Group::Once({FuncSwitchRow(),
                   NumberRow<ChannelCount, 1, kDlt645Channels>(
                       DtuNumberFieldDef("maxChannel", nullptr).Ranging(1, n).Labelled(T::kModbusChannelCount))}),
      Group::PerChannel(n,
                        {TextRow<MeterAddr>(DtuTextFieldDef("addr", nullptr).Labelled(T::kDltHeadMeterAddress)),
                         TextRow<MeterPreamble>(DtuTextFieldDef("preamble", nullptr).Labelled(T::kDltHeadPreamble)),
                         TextRow<MeterCycle>(DtuTextFieldDef("cycle", nullptr).Labelled(T::kDltHeadCycle)),
                         TextRow<MeterDiNum>(DtuTextFieldDef("diNum", nullptr).Labelled(T::kDltHeadDiCount))},
                        kDlt645DiCodes, {DiCodeRow()}, "_"),
      Group::Once({NumberRow<ConfigChannel, 1, kDlt645Channels>(
          DtuNumberFieldDef("configChannel", nullptr).Ranging(1, n).Labelled(T::kDltConfigChannel))}),
      Group::PerChannel(
          n,
          {NumberRow<RuleOfChannel, 0, 1>(
               DtuListFieldDef("rule", nullptr, D::kRuleCount).Labelled(T::kDltForwardRuleGroup).Listing(&D::RuleItems))
               .Marked(kRuleOfChannel),
           ParamCountRow().Marked(kRuleOfChannel)},
          kDlt645Params, ParamRows<ParamOfChannel>(FileRateRow(), kRuleOfChannel), "_"),
      // The view's names: the basic lists, each channel's DI list as typed,
      // and the rule of the configure channel on view (its rate as typed).
      Group::Once(
          {NumberRow<SwitchIndex, 0, D::kSwitchCount - 1>(DtuNumberFieldDef("Switch", nullptr)),
           NumberRow<ChannelCount, 0, kDlt645Channels - 1, 1>(DtuNumberFieldDef("ChannelCount", nullptr)),
           NumberRow<ConfigChannel, 0, kDlt645Channels - 1, 1>(DtuNumberFieldDef("ConfigChannelIndex", nullptr)),
           NumberRow<RuleOnView, 0, D::kRuleCount - 1>(DtuNumberFieldDef("Rule", nullptr)).Marked(kRuleOnView),
           NumberRow<CountOnView, 0, kDlt645Params - 1, 1>(DtuNumberFieldDef("ParamCount", nullptr))
               .Marked(kRuleOnView)})
          .Unlisted(),
      Group::PerChannel(n, {TextRow<MeterDiList>(DtuTextFieldDef("DiList", nullptr))}).Unlisted(),
      Group::PerChannel(kDlt645Params,
                        ParamRows<ParamOnView>(TextRow<ParamField<ParamOnView, &DtuDlt645ParamRow::rate>>(
                                                   DtuTextFieldDef("rate", nullptr).Labelled(T::kDltHeadMultiplier)),
                                               kRuleOnView))
          .Unlisted(),
  };
}

const std::vector<Group> &Rows() {
  static const std::vector<Group> rows = BuildRows();
  return rows;
}

}  // namespace

void DtuDLT645::BuildFields() { fields_ = DtuMakeFields(Rows(), model_); }

std::vector<DtuPageFieldInfo> DtuDLT645::Fields() const { return DtuMadeFieldsInfo(fields_); }

bool DtuDLT645::GetField(const std::string &name, std::string &value) const {
  return DtuGetMadeField(fields_, name, value);
}

bool DtuDLT645::SetField(const std::string &name, const std::string &value, std::string &error) {
  const DtuMadeField *f = DtuFindMadeField(fields_, name);
  // A text with a control character would become a second line on the
  // wire; numbers are refused by their own parse.
  if (f != nullptr && f->def->kind == DtuFieldKind::kText && !DtuTextValueAllowed(name, value, error)) return false;
  const int channel = f == nullptr                ? 0
                      : f->mark == kRuleOnView    ? model_.config_channel
                      : f->mark == kRuleOfChannel ? f->channel
                                                  : 0;
  if (!DtuSetMadeField(fields_, name, value, error)) return false;
  if (channel != 0) rules_changed_ |= 1u << (channel - 1);
  return true;
}

std::vector<std::string> DtuDlt645MeterFieldNames(int k, unsigned fields, bool with_dis) {
  const std::string n = std::to_string(k);
  std::vector<std::string> names;
  for (const auto &[bit, word] : {std::pair{DtuDlt645Meter::kAddr, "addr"}, {DtuDlt645Meter::kPreamble, "preamble"},
                                  {DtuDlt645Meter::kCycle, "cycle"}, {DtuDlt645Meter::kDiNum, "diNum"}}) {
    if (fields & bit) names.push_back(word + n);
  }
  for (int j = 1; with_dis && j <= kDlt645DiCodes; ++j) names.push_back("di" + n + "_" + std::to_string(j));
  return names;
}

std::vector<std::string> DtuDlt645ParamFieldNames(int c, int p) {
  const std::string suffix = std::to_string(c) + "_" + std::to_string(p);
  std::vector<std::string> names;
  for (const char *word : {"tag", "ruleDi", "dataType", "dataEndian", "dataRule", "rate"}) names.push_back(word + suffix);
  return names;
}
