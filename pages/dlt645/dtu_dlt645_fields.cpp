// The DL/T 645 page's fields by name, made in loops over the meter
// channels, the configure channels and their parameters. varnokctl lists
// the configuration file's keys with the file's values ("funcSwitch" 1 =
// ON, "maxChannel", "addr1", "di1_2", "rule2", "paramCnt2", "tag2_3",
// "ruleDi2_3", ...); the view binds its widgets to names of its own for the
// rule on view ("ConfigChannelIndex", "Rule", "ParamCount", "Tag1",
// "RuleDi1", "DataType1", ...), list fields by index. Those are not listed.
#include <cctype>
#include <cstdlib>
#include <functional>
#include <string>
#include <unordered_map>

#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/kit/dtu_page_fields.h"

namespace {

using Model = DtuDlt645Model;

// How a field's text maps to the model. Each codec finds its place in the
// model afresh on every access, so the view's rule fields follow the
// configure channel on view.
struct Dlt645Codec {
  std::function<std::string(const Model &)> get;
  // `name` as the caller spelt it, for the error.
  std::function<bool(Model &, const std::string &name, const std::string &value, std::string &error)> set;
};

// The rule a field belongs to, where a Set marks the rule as changed.
constexpr int kNoRule = 0;
constexpr int kRuleOnView = -1;

struct Dlt645Field {
  DtuPageFieldInfo info;
  bool listed;       // the view's own names are reached by name only
  bool text;         // a text value: a control character is refused
  int rule_channel;  // kNoRule, kRuleOnView or the configure channel 1..6
  Dlt645Codec codec;
};

bool ParseNumber(const std::string &value, int low, int high, int &out, const std::string &name,
                 std::string &error) {
  char *end = nullptr;
  const long v = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || v < low || v > high) {
    error = name + ": expected a number " + std::to_string(low) + ".." + std::to_string(high) + ", got \"" +
            value + "\"";
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

// `at` finds the value in a model, const or not: [](auto &m) -> auto & {...}.
template <typename At>
Dlt645Codec TextCodec(At at) {
  return {[at](const Model &m) { return at(m); },
          [at](Model &m, const std::string &, const std::string &value, std::string &) {
            at(m) = value;
            return true;
          }};
}

// The text v in low..high is kept as v + add (a list index for a count from 1).
template <typename At>
Dlt645Codec NumberCodec(At at, int low, int high, int add = 0) {
  return {[at, add](const Model &m) { return std::to_string(at(m) - add); },
          [at, low, high, add](Model &m, const std::string &name, const std::string &value, std::string &error) {
            int v = 0;
            if (!ParseNumber(value, low, high, v, name, error)) return false;
            at(m) = v + add;
            return true;
          }};
}

// The file and the wire say 1 for ON; the switch list has ON first.
Dlt645Codec FuncSwitchCodec() {
  return {[](const Model &m) { return std::string(m.switch_index == 0 ? "1" : "0"); },
          [](Model &m, const std::string &name, const std::string &value, std::string &error) {
            int v = 0;
            if (!ParseNumber(value, 0, 1, v, name, error)) return false;
            m.switch_index = v == 1 ? 0 : 1;
            return true;
          }};
}

// A Transparent rule has no parameters (0); a Parse rule keeps at least one.
Dlt645Codec ParamCountCodec(int c) {
  return {[c](const Model &m) {
            const DtuDlt645RuleRows &rule = m.Rule(c);
            return std::to_string(rule.rule == 1 ? rule.param_count : 0);
          },
          [c](Model &m, const std::string &name, const std::string &value, std::string &error) {
            int v = 0;
            if (!ParseNumber(value, 0, kDlt645Params, v, name, error)) return false;
            m.Rule(c).param_count = v < 1 ? 1 : v;
            return true;
          }};
}

// DI code j of meter channel k, one entry of the channel's "," list.
Dlt645Codec DiCodeCodec(int k, int j) {
  return {[k, j](const Model &m) {
            const std::vector<std::string> codes = DtuDlt645SplitDiList(m.meters[k - 1].di_list);
            return j <= static_cast<int>(codes.size()) ? codes[j - 1] : std::string();
          },
          [k, j](Model &m, const std::string &, const std::string &value, std::string &) {
            std::vector<std::string> codes = DtuDlt645SplitDiList(m.meters[k - 1].di_list);
            if (static_cast<int>(codes.size()) < j) codes.resize(j);
            codes[j - 1] = value;
            std::string list;
            for (const std::string &code : codes) list += (list.empty() ? "" : ",") + code;
            m.meters[k - 1].di_list = list;
            return true;
          }};
}

// The file keeps the multiplier as sent; the view edits the text as typed.
Dlt645Codec RateCodec(int c, int p) {
  Dlt645Codec codec = TextCodec([c, p](auto &m) -> auto & { return m.Rule(c).params[p - 1].rate; });
  codec.get = [c, p](const Model &m) { return std::to_string(DtuDlt645RateToSend(m.Rule(c).params[p - 1].rate)); };
  return codec;
}

class TableBuilder {
 public:
  std::vector<Dlt645Field> fields;
  bool listing = true;  // the fields added from now on are listed

  void Add(std::string name, Dlt645Codec codec, int rule = kNoRule, int list_size = 0) {
    fields.push_back({{std::move(name), list_size > 0, list_size}, listing, false, rule, std::move(codec)});
  }
  void AddText(std::string name, Dlt645Codec codec, int rule = kNoRule) {
    fields.push_back({{std::move(name), false, 0}, listing, true, rule, std::move(codec)});
  }
  // What `varnokctl fields` says of the field added last: the window's label,
  // a list's entries, a number's range.
  TableBuilder &Label(DtuTextId text_id) {
    fields.back().info.label = text_id;
    return *this;
  }
  TableBuilder &Items(std::vector<std::string> (*items)()) {
    fields.back().info.items = items;
    return *this;
  }
  TableBuilder &Range(int low, int high) {
    DtuPageFieldInfo &info = fields.back().info;
    info.is_number = true;
    info.min_value = low;
    info.max_value = high;
    return *this;
  }
};

void AddMeterFields(TableBuilder &t) {
  for (int k = 1; k <= kDlt645Channels; ++k) {
    const std::string n = std::to_string(k);
    auto row = [k](auto &m) -> auto & { return m.meters[k - 1]; };
    t.AddText("addr" + n, TextCodec([row](auto &m) -> auto & { return row(m).addr; }));
    t.Label(DtuTextId::kDltHeadMeterAddress);
    t.AddText("preamble" + n, TextCodec([row](auto &m) -> auto & { return row(m).preamble; }));
    t.Label(DtuTextId::kDltHeadPreamble);
    t.AddText("cycle" + n, TextCodec([row](auto &m) -> auto & { return row(m).cycle; }));
    t.Label(DtuTextId::kDltHeadCycle);
    t.AddText("diNum" + n, TextCodec([row](auto &m) -> auto & { return row(m).di_num; }));
    t.Label(DtuTextId::kDltHeadDiCount);
    for (int j = 1; j <= kDlt645DiCodes; ++j) {
      t.AddText("di" + n + "_" + std::to_string(j), DiCodeCodec(k, j));
      t.Label(DtuTextId::kDltHeadDiItem);
    }
  }
}

// A parameter row's six fields, named by the word and `suffix` ("tag2_3",
// or "tag3" for the rule on view, which the view spells "Tag3").
template <typename Param>
void AddParamFields(TableBuilder &t, const std::string &suffix, int rule, Param param, Dlt645Codec rate) {
  t.AddText("tag" + suffix, TextCodec([param](auto &m) -> auto & { return param(m).tag; }), rule);
  t.Label(DtuTextId::kDltHeadParameterTag);
  t.AddText("ruleDi" + suffix, TextCodec([param](auto &m) -> auto & { return param(m).di; }), rule);
  t.Label(DtuTextId::kDltHeadDiItem);
  t.Add("dataType" + suffix,
        NumberCodec([param](auto &m) -> auto & { return param(m).data_type; }, 0, DtuDLT645::kDataTypeCount - 1),
        rule, DtuDLT645::kDataTypeCount);
  t.Label(DtuTextId::kDltHeadDataType).Items(&DtuDLT645::DataTypeItems);
  t.Add("dataEndian" + suffix,
        NumberCodec([param](auto &m) -> auto & { return param(m).data_endian; }, 0, DtuDLT645::kEndianCount - 1),
        rule, DtuDLT645::kEndianCount);
  t.Label(DtuTextId::kDltHeadByteEndian).Items(&DtuDLT645::EndianItems);
  t.Add("dataRule" + suffix,
        NumberCodec([param](auto &m) -> auto & { return param(m).data_rule; }, 0, DtuDLT645::kDataRuleCount - 1),
        rule, DtuDLT645::kDataRuleCount);
  t.Label(DtuTextId::kDltHeadConversionRule).Items(&DtuDLT645::DataRuleItems);
  t.AddText("rate" + suffix, std::move(rate), rule);
  t.Label(DtuTextId::kDltHeadMultiplier);
}

void AddRuleFields(TableBuilder &t) {
  for (int c = 1; c <= kDlt645Channels; ++c) {
    const std::string n = std::to_string(c);
    t.Add("rule" + n, NumberCodec([c](auto &m) -> auto & { return m.Rule(c).rule; }, 0, 1), c, DtuDLT645::kRuleCount);
    t.Label(DtuTextId::kDltForwardRuleGroup).Items(&DtuDLT645::RuleItems);
    t.Add("paramCnt" + n, ParamCountCodec(c), c);
    t.Label(DtuTextId::kDltParameterCount).Range(0, kDlt645Params);
    for (int p = 1; p <= kDlt645Params; ++p) {
      auto param = [c, p](auto &m) -> auto & { return m.Rule(c).params[p - 1]; };
      AddParamFields(t, n + "_" + std::to_string(p), c, param, RateCodec(c, p));
    }
  }
}

// The view's names: the basic lists, each channel's DI list as typed, and
// the rule of the configure channel on view (its rate as typed).
void AddViewFields(TableBuilder &t) {
  t.listing = false;
  t.Add("Switch", NumberCodec([](auto &m) -> auto & { return m.switch_index; }, 0, DtuDLT645::kSwitchCount - 1));
  t.Add("ChannelCount", NumberCodec([](auto &m) -> auto & { return m.channel_count; }, 0, kDlt645Channels - 1, 1));
  t.Add("ConfigChannelIndex",
        NumberCodec([](auto &m) -> auto & { return m.config_channel; }, 0, kDlt645Channels - 1, 1));
  auto rule = [](auto &m) -> auto & { return m.Rule(m.config_channel); };
  t.Add("Rule", NumberCodec([rule](auto &m) -> auto & { return rule(m).rule; }, 0, DtuDLT645::kRuleCount - 1),
        kRuleOnView);
  t.Add("ParamCount", NumberCodec([rule](auto &m) -> auto & { return rule(m).param_count; }, 0, kDlt645Params - 1, 1),
        kRuleOnView);
  for (int k = 1; k <= kDlt645Channels; ++k) {
    t.AddText("DiList" + std::to_string(k), TextCodec([k](auto &m) -> auto & { return m.meters[k - 1].di_list; }));
  }
  for (int p = 1; p <= kDlt645Params; ++p) {
    auto param = [rule, p](auto &m) -> auto & { return rule(m).params[p - 1]; };
    AddParamFields(t, std::to_string(p), kRuleOnView, param,
                   TextCodec([param](auto &m) -> auto & { return param(m).rate; }));
  }
}

// Listed fields in the order varnokctl prints them, then the view's names.
std::vector<Dlt645Field> BuildTable() {
  TableBuilder t;
  t.Add("funcSwitch", FuncSwitchCodec());
  t.Label(DtuTextId::kModbusFunctionSwitch).Range(0, 1);  // 1 ON, as the file and the wire say
  t.Add("maxChannel", NumberCodec([](auto &m) -> auto & { return m.channel_count; }, 1, kDlt645Channels));
  t.Label(DtuTextId::kModbusChannelCount).Range(1, kDlt645Channels);
  AddMeterFields(t);
  t.Add("configChannel", NumberCodec([](auto &m) -> auto & { return m.config_channel; }, 1, kDlt645Channels));
  t.Label(DtuTextId::kDltConfigChannel).Range(1, kDlt645Channels);
  AddRuleFields(t);
  AddViewFields(t);
  return std::move(t.fields);
}

std::string Lower(std::string name) {
  for (char &ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return name;
}

const std::vector<Dlt645Field> &Table() {
  static const std::vector<Dlt645Field> table = BuildTable();
  return table;
}

// Names compare without regard to case; null for an unknown name.
const Dlt645Field *FindField(const std::string &name) {
  static const std::unordered_map<std::string, size_t> index = [] {
    std::unordered_map<std::string, size_t> out;
    for (size_t i = 0; i < Table().size(); ++i) out.emplace(Lower(Table()[i].info.name), i);
    return out;
  }();
  const auto found = index.find(Lower(name));
  return found == index.end() ? nullptr : &Table()[found->second];
}

}  // namespace

std::vector<DtuPageFieldInfo> DtuDLT645::Fields() const {
  std::vector<DtuPageFieldInfo> out;
  for (const Dlt645Field &f : Table()) {
    if (f.listed) out.push_back(f.info);
  }
  return out;
}

bool DtuDLT645::GetField(const std::string &name, std::string &value) const {
  const Dlt645Field *f = FindField(name);
  if (f == nullptr) return false;
  value = f->codec.get(model_);
  return true;
}

bool DtuDLT645::SetField(const std::string &name, const std::string &value, std::string &error) {
  const Dlt645Field *f = FindField(name);
  if (f == nullptr) {
    error = "unknown field: " + name;
    return false;
  }
  // A text with a control character would become a second line on the
  // wire; numbers are refused by their own parse.
  if (f->text && !DtuTextValueAllowed(name, value, error)) return false;
  const int channel = f->rule_channel == kRuleOnView ? model_.config_channel : f->rule_channel;
  if (!f->codec.set(model_, name, value, error)) return false;
  if (channel != kNoRule) rules_changed_ |= 1u << (channel - 1);
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
