// The forwarding rule group of the Modbus page: Read (header, then one
// parameter every 500 ms, as steps of the page's read), Set with the register
// window checks, and the answers of modbus-slave-rule.
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
void Show(DtuTextId text_id, Args... args) {
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), args...);
  DtuMessageBox(text);
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
  // Not waited for: the device gets 500 ms per parameter, its answers come meanwhile.
  return {ReadStep::kRuleParam, c,
          {"AT+ZEVCFG=get|modbus-slave-rule|" + DtuModbusRuleParamArgument(c, p) + "\r\n", "",
           DtuStepEnd::kNoWait, 0, kParamPauseMs, false, false}};
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
  return RuleSet(model_.config_channel, true);
}

bool DtuModbus::ValidateRuleParam(int c, int p, DtuModbusRuleParam &param) {
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
  const DtuModbusRule &rule = model_.rules[c - 1];
  param = {c, 1, rule.param_count, p, row.tag.substr(0, kModbusTagMax), a, row.data_type, row.byte_order,
           row.convert, multiplier};
  return true;
}

bool DtuModbus::RuleSet(int c, bool send) {
  const DtuModbusRule &rule = model_.rules[c - 1];
  if (send) {
    // A Set counts only its own answers, whatever an earlier Set left.
    rule_answer_counter_ = 0;
    expected_rule_answers_ = 0;
  }
  if (rule.rule == 0) {
    if (send) {
      pending_.store(PendingSet::kRule);
      DtuPageQueueLine("AT+ZEVCFG=set|modbus-slave-rule|" + DtuModbusBuildTransparentRule(c) + "\r\n");
    }
    return true;
  }
  if (window_length_[c - 1] == 0) {
    DtuMessageBox(DtuLangText(DtuTextId::kRuleReadPollingFirst));
    return false;
  }
  const int n = rule.param_count;
  if (n < 1) {
    Show(DtuTextId::kCacheFieldEmpty, c, DtuLangText(DtuTextId::kModbusParameterCount));
    return false;
  }
  if (send) expected_rule_answers_ = n;
  for (int p = 1; p <= n; ++p) {
    DtuModbusRuleParam param;
    if (!ValidateRuleParam(c, p, param)) {
      PendingSet rule_pending = PendingSet::kRule;
      pending_.compare_exchange_strong(rule_pending, PendingSet::kNone);
      return false;  // parameters already sent stay sent
    }
    if (!send) continue;
    pending_.store(PendingSet::kRule);
    DtuPageQueueLine("AT+ZEVCFG=set|modbus-slave-rule|" + *DtuModbusBuildRuleParam(param) + "\r\n");
  }
  return true;
}

// ---- Answers ----

void DtuModbus::OnRule(const char *value) {
  DTU_LOG("%s", value);
  switch (rule_state_) {
    case 0: DecodeRuleAndParamsCnt(value); break;
    case 1: DecodeChannelParams(value); break;
    default: break;
  }
  CountRuleAnswer();
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
  DtuModbusRule &rule = model_.rules[RuleChannelOf(p->channel, rule_channel_) - 1];
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
  emit Changed();
}

void DtuModbus::CountRuleAnswer() {
  if (pending_.load() != PendingSet::kRule) return;
  if (++rule_answer_counter_ < expected_rule_answers_) return;
  pending_.store(PendingSet::kNone);
  rule_answer_counter_ = 0;
  DtuMessageBox(DtuLangText(DtuTextId::kRuleConfigSucceeded));
  emit SetConfirmed();
  ContinueChainedSet();
}
