#include "pages/dlt645/dtu_dlt645_checks.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/dlt645/dtu_dlt645.h"

namespace {

constexpr DtuTextId kHeadAddr = DtuTextIdAt(DtuTextId::kDltHeadChannel, 1);
constexpr DtuTextId kHeadCycle = DtuTextIdAt(DtuTextId::kDltHeadChannel, 4);
constexpr DtuTextId kHeadDiConfig = DtuTextIdAt(DtuTextId::kDltHeadChannel, 5);
constexpr DtuTextId kHeadTag = DtuTextIdAt(DtuTextId::kDltHeadParameters, 1);

std::string Numbered(DtuTextId text_id, int number) {
  char text[256];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), number);
  return text;
}

// A decimal number without sign or blanks inside, within low..high.
bool DecimalIn(const std::string &text, int low, int high) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const int value = std::atoi(text.c_str());
  return value >= low && value <= high;
}

// False, after the message, when the text holds "/", ":" or ";".
bool NoSeparator(const std::string &field, const std::string &text) {
  const char separator = DtuDlt645RecordSeparatorIn(text);
  if (separator == '\0') return true;
  char message[512];
  std::snprintf(message, sizeof(message), DtuLangText(DtuTextId::kDltTextHoldsSeparator), field.c_str(),
                std::string(1, separator).c_str());
  DtuWarningBox(message);
  return false;
}

bool Refuse(DtuTextId text_id, int number) {
  DtuWarningBox(Numbered(text_id, number));
  return false;
}

}  // namespace

std::string DtuDlt645ChannelField(int k, DtuTextId heading_id) {
  return Numbered(DtuTextId::kDltChannelN, k) + " " + DtuLangText(heading_id);
}

std::string DtuDlt645ParamField(int p, DtuTextId heading_id) {
  return Numbered(DtuTextId::kDltParamN, p) + " " + DtuLangText(heading_id);
}

int DtuDlt645RateToSend(const std::string &rate) {
  errno = 0;
  const long value = std::strtol(rate.c_str(), nullptr, 10);
  if (errno == ERANGE || value > INT_MAX) return INT_MAX;
  return value < 1 ? 1 : static_cast<int>(value);
}

bool DtuDlt645AddMeterLine(int k, const DtuDlt645MeterRow &row, DtuSetLines &lines) {
  const std::string preamble = DtuDlt645Trim(row.preamble);
  const std::string di_num = DtuDlt645Trim(row.di_num);
  const std::string addr = DtuDlt645Trim(row.addr);
  const std::string cycle = DtuDlt645Trim(row.cycle);
  if (!DecimalIn(preamble, 1, 4)) return Refuse(DtuTextId::kDltPreambleRange, k);
  if (!DecimalIn(di_num, 1, kDlt645DiCodes)) return Refuse(DtuTextId::kDltDiCountRange, k);
  if (!NoSeparator(DtuDlt645ChannelField(k, kHeadAddr), addr)) return false;
  if (!NoSeparator(DtuDlt645ChannelField(k, kHeadCycle), cycle)) return false;
  const std::vector<std::string> codes = DtuDlt645SplitDiList(row.di_list);
  for (const std::string &code : codes) {
    if (!DtuDlt645IsDiCode(code)) return Refuse(DtuTextId::kDltChannelDiFormat, k);
  }
  lines.Add(DtuDlt645ChannelField(k, kHeadDiConfig), "dlt645-meter-cfg",
            DtuDlt645MeterPayload(k, addr, preamble, cycle, di_num, codes));
  return true;
}

bool DtuDlt645AddRuleLines(int c, const DtuDlt645RuleRows &rule, DtuSetLines &lines) {
  const bool parse = rule.rule == 1;
  const int n = parse ? rule.param_count : 0;
  std::vector<DtuDlt645RuleItem> items;
  for (int p = 1; p <= n; ++p) {
    const DtuDlt645ParamRow &row = rule.params[p - 1];
    const std::string tag = DtuDlt645Trim(row.tag);
    const std::string di = DtuDlt645Trim(row.di);
    if (tag.empty() || di.empty()) return Refuse(DtuTextId::kDltParamEmpty, p);
    if (!DtuDlt645IsDiCode(di)) return Refuse(DtuTextId::kDltParamDiFormat, p);
    if (!NoSeparator(DtuDlt645ParamField(p, kHeadTag), tag)) return false;
    items.push_back({c, p, tag, di, row.data_type, row.data_endian, row.data_rule, DtuDlt645RateToSend(row.rate)});
  }
  lines.Add(DtuLangText(DtuTextId::kDltForwardRuleGroup), "dlt645-meter-rule", DtuDlt645RulePayload({c, parse ? 1 : 0, n}));
  for (const DtuDlt645RuleItem &item : items) {
    lines.Add(DtuDlt645ParamField(item.param_id, kHeadTag), "dlt645-meter-rule-item", DtuDlt645RuleItemPayload(item));
  }
  return lines.Fit();
}
