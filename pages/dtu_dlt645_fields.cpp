// The DL/T 645 page's fields by name. varnokctl uses the configuration
// file's keys with the file's values ("funcSwitch" 1 = ON, "maxChannel",
// "addr1", "di1_2", "rule2", "paramCnt2", "tag2_3", "ruleDi2_3", ...);
// the view binds its widgets to names of its own for the rule on view
// ("ConfigChannelIndex", "Rule", "ParamCount", "Tag1", "RuleDi1",
// "DataType1", ...), list fields by index.
#include <cctype>
#include <cstdlib>
#include <string>

#include "pages/dtu_dlt645.h"
#include "pages/dtu_dlt645_checks.h"
#include "pages/dtu_page_fields.h"

namespace {

// "di1_2" -> {"di", 1, 2}; "Tag3" -> {"Tag", 3, 0}; "funcSwitch" -> {"funcSwitch", 0, 0}.
struct FieldName {
  std::string word;
  int first = 0;
  int second = 0;
};

FieldName SplitName(const std::string &name) {
  FieldName out;
  size_t end = name.size();
  auto trailing_number = [&](int &number) {
    size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
    if (start == end || end - start > 2) return false;
    number = std::atoi(name.substr(start, end - start).c_str());
    end = start;
    return true;
  };
  int last = 0;
  if (trailing_number(last)) {
    if (end > 0 && name[end - 1] == '_') {
      --end;
      out.second = last;
      if (!trailing_number(out.first)) return FieldName{name, 0, 0};
    } else {
      out.first = last;
    }
  }
  out.word = name.substr(0, end);
  return out;
}

}  // namespace

// Where a named field lives in the model and how its text maps to it.
class DtuDlt645FieldAccess {
 public:
  enum Special { kPlain, kFuncSwitch, kParamCnt, kDiCode, kRate };
  struct Ref {
    std::string *text = nullptr;
    int *number = nullptr;  // text value v <-> model value v + add, v in low..high
    int low = 0;
    int high = 0;
    int add = 0;
    bool is_list = false;
    Special special = kPlain;
    int rule_channel = 0;  // a rule field: its configure channel
    int di_index = 0;      // kDiCode: DI j
  };

  static bool Resolve(DtuDLT645 &page, const std::string &name, Ref &ref) {
    DtuDlt645Model &m = page.model_;
    const FieldName f = SplitName(name);
    const bool none = f.first == 0 && f.second == 0;
    const bool one = f.first >= 1 && f.second == 0;
    const bool two = f.first >= 1 && f.second >= 1;
    auto is = [&](const char *word) { return DtuFieldNameEquals(f.word, word); };
    if (none) return Basic(m, f.word, ref);
    if (one && f.first <= kDlt645Channels && Meter(m.meters[f.first - 1], f.word, ref)) return true;
    if (one && f.first <= kDlt645Channels && (is("rule") || is("paramCnt"))) {
      ref.rule_channel = f.first;
      if (is("paramCnt")) return ref.special = kParamCnt, true;
      return Number(ref, &m.Rule(f.first).rule, 0, 1, 0);
    }
    if (one && f.first <= kDlt645Params) {
      ref.rule_channel = m.config_channel;
      return Param(m.Rule(m.config_channel), f.first, f.word, true, ref);
    }
    if (two && f.first <= kDlt645Channels && is("di") && f.second <= kDlt645DiCodes) {
      ref.special = kDiCode;
      ref.text = &m.meters[f.first - 1].di_list;
      ref.di_index = f.second;
      return true;
    }
    if (two && f.first <= kDlt645Channels && f.second <= kDlt645Params) {
      ref.rule_channel = f.first;
      return Param(m.Rule(f.first), f.second, f.word, false, ref);
    }
    return false;
  }

  static std::string Get(const DtuDlt645Model &m, const Ref &ref) {
    switch (ref.special) {
      case kFuncSwitch: return m.switch_index == 0 ? "1" : "0";
      case kParamCnt: {
        const DtuDlt645RuleRows &rule = m.Rule(ref.rule_channel);
        return std::to_string(rule.rule == 1 ? rule.param_count : 0);
      }
      case kDiCode: {
        const std::vector<std::string> codes = DtuDlt645SplitDiList(*ref.text);
        return ref.di_index <= static_cast<int>(codes.size()) ? codes[ref.di_index - 1] : std::string();
      }
      case kRate: return std::to_string(DtuDlt645RateToSend(*ref.text));
      case kPlain: break;
    }
    return ref.text ? *ref.text : std::to_string(*ref.number - ref.add);
  }

  static bool Set(DtuDLT645 &page, const Ref &ref, const std::string &name, const std::string &value,
                  std::string &error) {
    DtuDlt645Model &m = page.model_;
    // A text with a control character would become a second line on the
    // wire; numbers are refused by their own parse.
    if (ref.text && !DtuTextValueAllowed(name, value, error)) return false;
    int v = 0;
    switch (ref.special) {
      case kFuncSwitch:
        if (!Parse(value, 0, 1, v, name, error)) return false;
        m.switch_index = v == 1 ? 0 : 1;
        return true;
      case kParamCnt:
        if (!Parse(value, 0, kDlt645Params, v, name, error)) return false;
        m.Rule(ref.rule_channel).param_count = v < 1 ? 1 : v;
        break;
      case kDiCode: {
        std::vector<std::string> codes = DtuDlt645SplitDiList(*ref.text);
        if (static_cast<int>(codes.size()) < ref.di_index) codes.resize(ref.di_index);
        codes[ref.di_index - 1] = value;
        std::string list;
        for (const std::string &code : codes) list += (list.empty() ? "" : ",") + code;
        *ref.text = list;
        return true;
      }
      case kRate:
      case kPlain:
        if (ref.text) {
          *ref.text = value;
        } else {
          if (!Parse(value, ref.low, ref.high, v, name, error)) return false;
          *ref.number = v + ref.add;
        }
        break;
    }
    if (ref.rule_channel != 0) page.rules_changed_ |= 1u << (ref.rule_channel - 1);
    return true;
  }

  static std::vector<DtuPageFieldInfo> Infos() {
    std::vector<DtuPageFieldInfo> out = {{"funcSwitch", false, 0}, {"maxChannel", false, 0}};
    for (int k = 1; k <= kDlt645Channels; ++k) {
      const std::string n = std::to_string(k);
      for (const char *word : {"addr", "preamble", "cycle", "diNum"}) out.push_back({word + n, false, 0});
      for (int j = 1; j <= kDlt645DiCodes; ++j) out.push_back({"di" + n + "_" + std::to_string(j), false, 0});
    }
    out.push_back({"configChannel", false, 0});
    for (int c = 1; c <= kDlt645Channels; ++c) {
      const std::string n = std::to_string(c);
      out.push_back({"rule" + n, true, DtuDLT645::kRuleCount});
      out.push_back({"paramCnt" + n, false, 0});
      for (int p = 1; p <= kDlt645Params; ++p) {
        const std::string np = n + "_" + std::to_string(p);
        out.push_back({"tag" + np, false, 0});
        out.push_back({"ruleDi" + np, false, 0});
        out.push_back({"dataType" + np, true, DtuDLT645::kDataTypeCount});
        out.push_back({"dataEndian" + np, true, DtuDLT645::kEndianCount});
        out.push_back({"dataRule" + np, true, DtuDLT645::kDataRuleCount});
        out.push_back({"rate" + np, false, 0});
      }
    }
    return out;
  }

 private:
  static bool Number(Ref &ref, int *number, int low, int high, int add) {
    ref.number = number;
    ref.low = low;
    ref.high = high;
    ref.add = add;
    return true;
  }

  static bool List(Ref &ref, int *number, int count, int add) {
    ref.is_list = true;
    return Number(ref, number, 0, count - 1, add);
  }

  static bool Basic(DtuDlt645Model &m, const std::string &word, Ref &ref) {
    auto is = [&](const char *name) { return DtuFieldNameEquals(word, name); };
    if (is("funcSwitch")) return ref.special = kFuncSwitch, true;
    if (is("maxChannel")) return Number(ref, &m.channel_count, 1, kDlt645Channels, 0);
    if (is("configChannel")) return Number(ref, &m.config_channel, 1, kDlt645Channels, 0);
    if (is("Switch")) return List(ref, &m.switch_index, DtuDLT645::kSwitchCount, 0);
    if (is("ChannelCount")) return List(ref, &m.channel_count, kDlt645Channels, 1);
    if (is("ConfigChannelIndex")) return List(ref, &m.config_channel, kDlt645Channels, 1);
    DtuDlt645RuleRows &rule = m.Rule(m.config_channel);
    ref.rule_channel = m.config_channel;
    if (is("Rule")) return List(ref, &rule.rule, DtuDLT645::kRuleCount, 0);
    if (is("ParamCount")) return List(ref, &rule.param_count, kDlt645Params, 1);
    ref.rule_channel = 0;
    return false;
  }

  static bool Meter(DtuDlt645MeterRow &row, const std::string &word, Ref &ref) {
    auto is = [&](const char *name) { return DtuFieldNameEquals(word, name); };
    if (is("addr")) ref.text = &row.addr;
    else if (is("preamble")) ref.text = &row.preamble;
    else if (is("cycle")) ref.text = &row.cycle;
    else if (is("diNum")) ref.text = &row.di_num;
    else if (is("DiList")) ref.text = &row.di_list;
    return ref.text != nullptr;
  }

  // A parameter row: the file's names ("tag", "ruleDi", ...) or, for the
  // rule on view, the view's ("Tag", "RuleDi", ...), which compare alike.
  static bool Param(DtuDlt645RuleRows &rule, int p, const std::string &word, bool view, Ref &ref) {
    auto is = [&](const char *name) { return DtuFieldNameEquals(word, name); };
    DtuDlt645ParamRow &row = rule.params[p - 1];
    if (is("tag")) return ref.text = &row.tag, true;
    if (is("ruleDi")) return ref.text = &row.di, true;
    if (is("rate")) {
      // The file's value is the multiplier as sent; the view edits the text.
      ref.special = view ? kPlain : kRate;
      return ref.text = &row.rate, true;
    }
    bool found = false;
    if (is("dataType")) found = Number(ref, &row.data_type, 0, DtuDLT645::kDataTypeCount - 1, 0);
    else if (is("dataEndian")) found = Number(ref, &row.data_endian, 0, DtuDLT645::kEndianCount - 1, 0);
    else if (is("dataRule")) found = Number(ref, &row.data_rule, 0, DtuDLT645::kDataRuleCount - 1, 0);
    ref.is_list = found && view;
    return found;
  }

  static bool Parse(const std::string &value, int low, int high, int &out, const std::string &name,
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
};

std::vector<DtuPageFieldInfo> DtuDLT645::Fields() const { return DtuDlt645FieldAccess::Infos(); }

bool DtuDLT645::GetField(const std::string &name, std::string &value) const {
  DtuDlt645FieldAccess::Ref ref;
  auto &self = const_cast<DtuDLT645 &>(*this);  // Resolve only finds the place
  if (!DtuDlt645FieldAccess::Resolve(self, name, ref)) return false;
  value = DtuDlt645FieldAccess::Get(model_, ref);
  return true;
}

bool DtuDLT645::SetField(const std::string &name, const std::string &value, std::string &error) {
  DtuDlt645FieldAccess::Ref ref;
  if (!DtuDlt645FieldAccess::Resolve(*this, name, ref)) {
    error = "unknown field: " + name;
    return false;
  }
  return DtuDlt645FieldAccess::Set(*this, ref, name, value, error);
}
