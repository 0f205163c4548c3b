// The forwarding rule group of the DL/T 645 page: Read through the reader,
// Set with its read-back, and the rule and rule item answers.
#include <string>

#include "base/dtu_log.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/dlt645/dtu_dlt645_reader.h"
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
  reader_->Start(DtuDlt645Reader::Scope::kRule, model_.config_channel);
  return true;
}

void DtuDLT645::ClearRuleRows(int channel) {
  for (DtuDlt645ParamRow &row : model_.Rule(channel).params) row = DtuDlt645ParamRow();
}

bool DtuDLT645::OnBnClickedBtRuleSet() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  if (!BuildRuleLines(model_.config_channel, lines)) return false;
  QueueSet(lines, DtuTextId::kDltRuleConfigSucceeded);
  return true;
}

// The rule, its items, then the rule and item queries without pauses: the
// answers show what the device now holds, and the Set holds once every one
// of these lines was answered.
bool DtuDLT645::BuildRuleLines(int channel, DtuSetLines &lines) const {
  const DtuDlt645RuleRows &rule = model_.Rule(channel);
  if (!DtuDlt645AddRuleLines(channel, rule, lines)) return false;
  const int n = rule.rule == 1 ? rule.param_count : 0;
  const std::string c = std::to_string(channel);
  lines.AddLine("rule" + c, RuleQuery(channel));
  for (int p = 1; p <= n; ++p) lines.AddLine("tag" + c + "_" + std::to_string(p), ItemQuery(channel, p));
  return true;
}

// An empty value is a channel without a rule: nothing to fill. An answer
// for a channel outside 1..6 is dropped; one for another channel than the
// one being read, or one of a whole-page Set's read-backs, fills that
// channel's rule but leaves the view.
void DtuDLT645::OnRule(const char *value) {
  std::string text = DtuDlt645Trim(value);
  while (!text.empty() && text.back() == ';') text.pop_back();
  if (text.empty()) {
    if (channel_being_read_ != 0) rule_answer_ = RuleAnswer::kEmpty;
    return;
  }
  DtuDlt645Rule answer;
  if (!DtuDlt645ParseRule(text, answer) || !InRange(answer.ch, 1, kDlt645Channels)) {
    DTU_LOG("rule answer not read : %s", value);
    return;
  }
  const int c = answer.ch;
  const int count = answer.param_cnt < 0 ? 0 : answer.param_cnt > kDlt645Params ? kDlt645Params : answer.param_cnt;
  DtuDlt645RuleRows &rule = model_.Rule(c);
  rule.rule = answer.rule != 0 ? 1 : 0;
  rule.param_count = count < 1 ? 1 : count;
  if (channel_being_read_ == 0 && !whole_set_ && model_.config_channel != c) {
    model_.config_channel = c;
    emit ConfigChannelChanged();
  }
  emit Changed();
  if (channel_being_read_ == c) {
    rule_answer_ = rule.rule == 1 ? RuleAnswer::kParse : RuleAnswer::kTransparent;
    items_to_read_ = rule.rule == 1 ? count : 0;
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
  }
  if (changed) emit Changed();
}
