// The forwarding rule group of the DL/T 645 page: Read through the rule
// reader, Set with its read-back, and the rule and rule item answers.
#include <cstdio>
#include <string>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/dlt645/dtu_dlt645_rule_reader.h"
#include "pages/kit/dtu_page_send.h"

namespace {

unsigned ItemBit(int p) { return 1u << (p - 1); }

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// A list code from the device; one outside the list shows the first entry.
int ListCode(int code, int count, const char *name) {
  if (InRange(code, 0, count - 1)) return code;
  DTU_LOG("%s code %d outside the list, first entry shown.", name, code);
  return 0;
}

std::string RuleQuery(int c) { return "AT+ZEVCFG=get|dlt645-meter-rule|ch:" + std::to_string(c) + "\r\n"; }

std::string ItemQuery(int c, int p) {
  return "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:" + std::to_string(c) + "/paramId:" + std::to_string(p) + "\r\n";
}

}  // namespace

bool DtuDLT645::OnBnClickedBtRuleRead() {
  if (!DtuPagePortOpen()) return false;
  return StartRuleRead({model_.config_channel});
}

void DtuDLT645::ClearRuleRows(int channel) {
  for (DtuDlt645ParamRow &row : model_.Rule(channel).params) row = DtuDlt645ParamRow();
}

bool DtuDLT645::StartRuleRead(const std::vector<int> &channels) {
  for (int c : channels) ClearRuleRows(c);
  emit Changed();
  rule_read_failed_ = false;
  rule_read_pending_ = true;
  reader_->Start(channels);
  return true;
}

void DtuDLT645::OnRuleSequenceDone(int failed_channel, bool refused) {
  rule_read_failed_ = failed_channel != 0;
  if (rule_read_failed_) {
    char text[256];
    std::snprintf(text, sizeof(text), DtuLangText(refused ? DtuTextId::kDltRuleRefused : DtuTextId::kDltRuleNoAnswer),
                  failed_channel);
    DtuWarningBox(text);
  }
  if (rule_read_pending_.exchange(false) && !ReadPending()) emit ReadFinished();
}

bool DtuDLT645::OnBnClickedBtRuleSet() {
  if (!DtuPagePortOpen()) return false;
  rules_to_set_.clear();
  return QueueRuleSet(model_.config_channel);
}

// The rule, its items, then the rule and item queries without pauses: the
// answers confirm the Set and show what the device now holds.
bool DtuDLT645::QueueRuleSet(int channel) {
  const DtuDlt645RuleRows &rule = model_.Rule(channel);
  DtuSetLines lines;
  if (!DtuDlt645AddRuleLines(channel, rule, lines)) return false;
  const int n = rule.rule == 1 ? rule.param_count : 0;
  expected_channel_ = channel;
  header_outstanding_ = true;
  items_outstanding_ = (1u << n) - 1u;
  rule_pending_ = true;
  lines.Queue();
  DtuPageQueueLine(RuleQuery(channel));
  for (int p = 1; p <= n; ++p) DtuPageQueueLine(ItemQuery(channel, p));
  return true;
}

void DtuDLT645::RuleCheckConfirmed() {
  if (!rule_pending_ || header_outstanding_ || items_outstanding_ != 0) return;
  rule_pending_ = false;
  DtuMessageBox(DtuLangText(DtuTextId::kDltConfigSucceeded));
  emit SetConfirmed();
  if (rules_to_set_.empty()) return;
  const int next = rules_to_set_.front();
  rules_to_set_.erase(rules_to_set_.begin());
  QueueRuleSet(next);
}

// An answer for a channel outside 1..6 is dropped; one for another channel
// than the one being read fills that channel's rule but leaves the view.
void DtuDLT645::OnRule(const char *value) {
  DtuDlt645Rule answer;
  if (value[0] == '\0' || !DtuDlt645ParseRule(value, answer)) return;
  const int c = answer.ch;
  if (!InRange(c, 1, kDlt645Channels)) {
    DTU_LOG("rule answer of channel %d ignored.", c);
    return;
  }
  const int count = answer.param_cnt < 0 ? 0 : answer.param_cnt > kDlt645Params ? kDlt645Params : answer.param_cnt;
  DtuDlt645RuleRows &rule = model_.Rule(c);
  rule.rule = answer.rule != 0 ? 1 : 0;
  rule.param_count = count < 1 ? 1 : count;
  const int reading = channel_being_read_;
  if (reading == 0 && model_.config_channel != c) {
    model_.config_channel = c;
    emit ConfigChannelChanged();
  }
  emit Changed();
  if (reading == c) {
    items_to_read_ = rule.rule == 1 ? count : 0;
    rule_read_state_ = rule.rule == 1 ? 1 : -1;
  }
  if (rule_pending_ && expected_channel_ == c) {
    header_outstanding_ = false;
    RuleCheckConfirmed();
  }
}

void DtuDLT645::OnRuleItems(const char *value) {
  bool changed = false;
  for (const DtuDlt645RuleItem &item : DtuDlt645ParseRuleItems(value)) {
    if (!InRange(item.ch, 1, kDlt645Channels) || !InRange(item.param_id, 1, kDlt645Params)) {
      DTU_LOG("rule item %d of channel %d ignored.", item.param_id, item.ch);
      continue;
    }
    DtuDlt645ParamRow &row = model_.Rule(item.ch).params[item.param_id - 1];
    row.tag = item.tag;
    row.di = item.di;
    row.data_type = ListCode(item.data_type, kDataTypeCount, "dataType");
    row.data_endian = ListCode(item.data_endian, kEndianCount, "dataEndian");
    row.data_rule = ListCode(item.data_rule, kDataRuleCount, "dataRule");
    row.rate = std::to_string(item.rate);
    changed = true;
    if (channel_being_read_ == item.ch) items_answered_ |= ItemBit(item.param_id);
    if (rule_pending_ && expected_channel_ == item.ch) items_outstanding_ &= ~ItemBit(item.param_id);
  }
  if (changed) emit Changed();
  RuleCheckConfirmed();
}
