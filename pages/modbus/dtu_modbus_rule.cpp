// The forwarding rule group of the Modbus page: Read (header, then each
// parameter, 500 ms apart, as steps of the page's read), Set as one action
// of tagged lines after the register window checks, and the answers of
// modbus-slave-rule.
#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

constexpr int kHeaderWaitMs = 1000;
constexpr int kParamPauseMs = 500;

template <class... Args>
std::string Text(DtuTextId text_id, Args... args) {
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), args...);
  return text;
}

template <class... Args>
void Show(DtuTextId text_id, Args... args) {
  DtuMessageBox(Text(text_id, args...));
}

int InList(int code, int size) { return code >= 0 && code < size ? code : 0; }

}  // namespace

int DtuModbus::RuleChannelOf(int answered, int fallback) {
  return answered >= 1 && answered <= kModbusChannelCount ? answered : fallback;
}

DtuModbus::ReadStep DtuModbus::RuleHeaderQuery(int c) {
  return {ReadStep::kRuleHeader, c,
          {"AT+ZEVCFG=get|modbus-slave-rule|" + DtuModbusRuleHeaderArgument(c) + "\r\n", "modbus-slave-rule",
           DtuStepEnd::kPageDecides, kHeaderWaitMs}};
}

DtuModbus::ReadStep DtuModbus::RuleParamQuery(int c, int p) {
  // Each parameter's own answer is waited for; the device then gets its
  // 500 ms before the next query.
  ReadStep step{ReadStep::kRuleParam, c,
                {"AT+ZEVCFG=get|modbus-slave-rule|" + DtuModbusRuleParamArgument(c, p) + "\r\n", "modbus-slave-rule",
                 DtuStepEnd::kPageDecides, kHeaderWaitMs, kParamPauseMs}};
  step.param = p;
  return step;
}

bool DtuModbus::OnBnClickedBtModbusRuleGet() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusParamRow &row : model_.rules[model_.config_channel - 1].params) {
    row.tag.clear();
    row.address.clear();
    row.multiplier.clear();
  }
  emit Changed();
  StartRead({RuleHeaderQuery(model_.config_channel)}, false);
  return true;
}

bool DtuModbus::OnBnClickedBtModbusRuleSet() {
  if (!DtuPagePortOpen()) return false;
  chained_rule_channel_ = 0;
  refused_ = false;
  return QueueRuleSet(model_.config_channel);
}

bool DtuModbus::QueueRuleSet(int c) {
  DtuSetLines lines;
  std::vector<std::string> notes;
  if (!RuleLines(c, lines, notes)) return false;
  for (const std::string &note : notes) DtuMessageBox(note);
  // One action: confirmed once the device answered or acknowledged every
  // line; a refused or lost line is named.
  QueueSet(lines, DtuTextId::kRuleConfigSucceeded);
  return true;
}

bool DtuModbus::ValidateRuleParam(int c, int p, DtuModbusRuleParam &param, std::vector<std::string> &notes) {
  const DtuModbusParamRow &row = model_.rules[c - 1].params[p - 1];
  const long long a = DtuTypedNumber(row.address);
  const long long start = window_start_[c - 1];
  const long long end = start + window_length_[c - 1] - 1;
  if (a < start || a > end) {
    Show(DtuTextId::kRuleAddressOutOfRange, c, static_cast<int>(start), static_cast<int>(end), static_cast<int>(a));
    return false;
  }
  if (a * 2 + DtuModbusDataTypeSize(row.data_type) > (end + 1) * 2) {
    Show(DtuTextId::kRuleLengthOutOfRange, c, p);
    return false;
  }
  const long long multiplier = DtuTypedNumber(row.multiplier);
  if (multiplier < 1) {
    Show(DtuTextId::kRuleScaleNotPositive, p);
    return false;
  }
  // A text that only starts with a number would go out as one nobody typed.
  for (auto [text, label] : {std::pair{&row.address, DtuTextId::kModbusRegisterAddress},
                             std::pair{&row.multiplier, DtuTextId::kModbusMultiplier}}) {
    if (DtuTypedAllDigits(DtuTypedTrim(*text))) continue;
    Show(DtuTextId::kModbusParamNotNumber, p, DtuLangText(label));
    return false;
  }
  // Both numbers travel in 8 digits: more would shift every field after them.
  const int max = static_cast<int>(DtuModbusWidthMax(kModbusRuleNumberWidth));
  if (!DtuModbusFitsWidth(a, kModbusRuleNumberWidth)) {
    Show(DtuTextId::kModbusParamWidth, p, DtuLangText(DtuTextId::kModbusRegisterAddress), kModbusRuleNumberWidth, max);
    return false;
  }
  if (!DtuModbusFitsWidth(multiplier, kModbusRuleNumberWidth)) {
    Show(DtuTextId::kModbusParamWidth, p, DtuLangText(DtuTextId::kModbusMultiplier), kModbusRuleNumberWidth, max);
    return false;
  }
  // The command port writes '|' and ',' of a payload as these words, and
  // the device reads them back as '|' and ',': typed, they would not arrive
  // as typed.
  if (const char *word = DtuTypedEscapeWordIn(row.tag)) {
    Show(DtuTextId::kModbusTagEscapeWord, c, p, word);
    return false;
  }
  // The tag's length travels in two digits and the device keeps 31.
  if (row.tag.size() > static_cast<size_t>(kModbusTagMax)) {
    notes.push_back(Text(DtuTextId::kModbusTagCut, c, p, static_cast<int>(row.tag.size()), kModbusTagMax));
  }
  const DtuModbusRule &rule = model_.rules[c - 1];
  param = {c, 1, rule.param_count, p, row.tag.substr(0, kModbusTagMax), a, row.data_type, row.byte_order,
           row.convert, multiplier};
  return true;
}

bool DtuModbus::RuleLines(int c, DtuSetLines &lines, std::vector<std::string> &notes) {
  const DtuModbusRule &rule = model_.rules[c - 1];
  const std::string n = std::to_string(c);
  if (rule.rule == 0) {
    lines.Add("rule" + n, "modbus-slave-rule", DtuModbusBuildTransparentRule(c));
    return true;
  }
  if (window_length_[c - 1] == 0) {
    DtuMessageBox(DtuLangText(DtuTextId::kRuleReadPollingFirst));
    return false;
  }
  if (rule.param_count < 1) {
    Show(DtuTextId::kCacheFieldEmpty, c, DtuLangText(DtuTextId::kModbusParameterCount));
    return false;
  }
  // Every parameter is checked before any goes out: a rule written up to a
  // bad parameter would leave the device counting parameters it never got.
  for (int p = 1; p <= rule.param_count; ++p) {
    DtuModbusRuleParam param;
    if (!ValidateRuleParam(c, p, param, notes)) return false;
    lines.Add("tag" + n + std::to_string(p), "modbus-slave-rule", *DtuModbusBuildRuleParam(param));
  }
  return lines.Fit();
}

// ---- Answers ----

void DtuModbus::OnRule(const char *value) {
  DTU_LOG("%s", value);
  switch (rule_state_) {
    case 0: DecodeRuleAndParamsCnt(value); break;
    case 1: DecodeChannelParams(value); break;
    default: break;
  }
}

void DtuModbus::DecodeRuleAndParamsCnt(const std::string &value) {
  const auto header = DtuModbusParseRuleHeader(value);
  if (!header) {
    DTU_LOG("rule header ignored (shorter than its layout or not decimal) : %s", value.c_str());
    return;
  }
  DTU_LOG("rule : %d.", header->rule);
  DtuModbusRule &rule = model_.rules[RuleChannelOf(header->channel, rule_channel_) - 1];
  rule.rule = header->rule == 0 ? 0 : 1;
  // A Parse rule of no parameters keeps none of the page's either.
  if (header->rule != 0 && header->count == 0) rule.param_count = 0;
  if (header->rule == 0 || header->count == 0) {
    rule_state_ = -1;
    emit Changed();
    return;
  }
  DTU_LOG("maxParams : %d.", header->count);
  rule.param_count = header->count;
  rule_param_total_ = header->count;
  rule_state_ = 1;
  emit Changed();
}

void DtuModbus::DecodeChannelParams(const std::string &value) {
  const auto p = DtuModbusParseRuleParam(value);
  if (!p) {
    DTU_LOG("rule parameter ignored (shorter than its layout or not decimal) : %s", value.c_str());
    return;
  }
  DTU_LOG("rule : %d.", p->rule);
  const int channel = RuleChannelOf(p->channel, rule_channel_);
  DtuModbusRule &rule = model_.rules[channel - 1];
  if (p->rule == 0) {
    rule.rule = 0;
    rule_state_ = -1;
    emit Changed();
    return;
  }
  DTU_LOG("paramId : %d.", p->param);
  if (p->param < 1 || p->param > kModbusRuleParams) return;
  DtuModbusParamRow &row = rule.params[p->param - 1];
  row.tag = p->tag;
  row.address = std::to_string(p->address);
  row.data_type = InList(p->data_type, kDataTypes);
  row.byte_order = InList(p->byte_order, kByteOrders);
  row.convert = InList(p->convert, kConverts);
  row.multiplier = std::to_string(p->multiplier);
  rule_param_read_ = channel * 10 + p->param;
  emit Changed();
}
