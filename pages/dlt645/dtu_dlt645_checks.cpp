#include "pages/dlt645/dtu_dlt645_checks.h"


#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

constexpr DtuTextId kHeadAddr = DtuTextIdAt(DtuTextId::kDltHeadChannel, 1);
constexpr DtuTextId kHeadCycle = DtuTextIdAt(DtuTextId::kDltHeadChannel, 4);
constexpr DtuTextId kHeadTag = DtuTextIdAt(DtuTextId::kDltHeadParameters, 1);
constexpr DtuTextId kHeadMultiplier = DtuTextIdAt(DtuTextId::kDltHeadParameters, 6);

// The device keeps a meter address of 12 hexadecimal digits (6 bytes) and
// every other number of a record in 7 decimal characters.
constexpr int kAddrDigits = 12;
constexpr int kNumberMax = 9999999;

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

bool RefuseHolding(const std::string &field, const std::string &what) {
  char message[512];
  std::snprintf(message, sizeof(message), DtuLangText(DtuTextId::kDltTextHoldsSeparator), field.c_str(), what.c_str());
  DtuWarningBox(message);
  return false;
}

// False, after the message, when the text holds "/", ":" or ";" (they split
// a record, so the field would be read back differently) or an escape word
// of the command line ("[dec]", "[comma]": the device reads them as "|" and
// ",").
bool NoSeparator(const std::string &field, const std::string &text) {
  const char separator = DtuDlt645RecordSeparatorIn(text);
  if (separator != '\0') return RefuseHolding(field, std::string(1, separator));
  if (const char *word = DtuTypedEscapeWordIn(text)) return RefuseHolding(field, word);
  return true;
}

bool RefuseRange(const std::string &field, int low, int high) {
  char message[512];
  std::snprintf(message, sizeof(message), DtuLangText(DtuTextId::kDltNumberRange), field.c_str(), low, high);
  DtuWarningBox(message);
  return false;
}

// An address the device can hold: hexadecimal digits, at most 12 (none: no
// address set yet).
bool AddressFits(const std::string &field, const std::string &addr) {
  bool hex = addr.size() <= static_cast<size_t>(kAddrDigits);
  for (char c : addr) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
  if (hex) return true;
  char message[512];
  std::snprintf(message, sizeof(message), DtuLangText(DtuTextId::kDltHexDigits), field.c_str(), kAddrDigits);
  DtuWarningBox(message);
  return false;
}

// The multiplier as typed: empty or below 1 is 1, above what the device
// keeps, or no whole number at all, is refused.
bool RateToSend(int p, const std::string &typed, int &rate) {
  const std::string text = DtuDlt645Trim(typed);
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (text.empty()) return rate = 1, true;
  if (!DecimalIn(digits, 0, kNumberMax)) return RefuseRange(DtuDlt645ParamField(p, kHeadMultiplier), 1, kNumberMax);
  rate = negative ? 1 : std::max(1, std::atoi(digits.c_str()));
  return true;
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
  const std::string addr_field = DtuDlt645ChannelField(k, kHeadAddr);
  const std::string cycle_field = DtuDlt645ChannelField(k, kHeadCycle);
  if (!NoSeparator(addr_field, addr) || !AddressFits(addr_field, addr)) return false;
  if (!NoSeparator(cycle_field, cycle)) return false;
  if (!DecimalIn(cycle, 0, kNumberMax)) return RefuseRange(cycle_field, 0, kNumberMax);
  const std::vector<std::string> codes = DtuDlt645SplitDiList(row.di_list);
  for (const std::string &code : codes) {
    if (!DtuDlt645IsDiCode(code)) return Refuse(DtuTextId::kDltChannelDiFormat, k);
  }
  lines.Add("addr" + std::to_string(k), "dlt645-meter-cfg",
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
    int rate = 1;
    if (!RateToSend(p, row.rate, rate)) return false;
    items.push_back({c, p, tag, di, row.data_type, row.data_endian, row.data_rule, rate});
  }
  const std::string ch = std::to_string(c);
  lines.Add("rule" + ch, "dlt645-meter-rule", DtuDlt645RulePayload({c, parse ? 1 : 0, n}));
  for (const DtuDlt645RuleItem &item : items) {
    lines.Add("tag" + ch + "_" + std::to_string(item.param_id), "dlt645-meter-rule-item", DtuDlt645RuleItemPayload(item));
  }
  return lines.Fit();
}
