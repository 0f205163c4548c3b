// The DL/T 645 page object, its lists and the basic parameters group.
#include "pages/dlt645/dtu_dlt645.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/dlt645/dtu_dlt645_rule_reader.h"
#include "pages/kit/dtu_page_send.h"

namespace {

unsigned ChannelBit(int channel) { return 1u << (channel - 1); }

std::vector<std::string> Texts(DtuTextId first_id, int count) {
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) items.push_back(DtuLangText(DtuTextIdAt(first_id, i)));
  return items;
}

}  // namespace

DtuDLT645::DtuDLT645(QObject *parent) : DtuPage(parent), reader_(std::make_unique<DtuDlt645RuleReader>(*this)) {
  DtuAttachPageAnswers({
      {"dlt645-switch", &DtuPageAnswer<&DtuDLT645::Dlt645SwitchSet>},
      {"dlt645-channel", &DtuPageAnswer<&DtuDLT645::Dlt645ChannelSet>},
      {"dlt645-meter-cfg", &DtuPageAnswer<&DtuDLT645::Dlt645MeterCfgSet>},
      {"dlt645-meter-rule", &DtuPageAnswer<&DtuDLT645::Dlt645MeterRuleSet>},
      {"dlt645-meter-rule-item", &DtuPageAnswer<&DtuDLT645::Dlt645MeterRuleItemSet>},
  });
}

// The rule reader stops before the members its waits look at go away.
DtuDLT645::~DtuDLT645() {
  reader_.reset();
}

DtuDLT645 *DtuDLT645::Instance() { return DtuPageReference<DtuDLT645>::Current(); }

std::vector<std::string> DtuDLT645::SwitchItems() { return {DtuLangText(DtuTextId::kSwitchOn), DtuLangText(DtuTextId::kSwitchOff)}; }
std::vector<std::string> DtuDLT645::RuleItems() { return Texts(DtuTextId::kDltTransparent, kRuleCount); }
std::vector<std::string> DtuDLT645::DataTypeItems() { return Texts(DtuTextId::kDltInt8, kDataTypeCount); }
std::vector<std::string> DtuDLT645::DataRuleItems() { return Texts(DtuTextId::kDltNoScale, kDataRuleCount); }
std::vector<std::string> DtuDLT645::EndianItems() { return {"AB", "BA"}; }

bool DtuDLT645::ReadPending() const { return basic_read_pending_ || rule_read_pending_; }

bool DtuDLT645::Busy() const { return reader_->Running(); }

bool DtuDLT645::SetPending() const { return basic_pending_ || rule_pending_ || !rules_to_set_.empty(); }

bool DtuDLT645::OnBnClickedBtBasicRead() {
  if (!DtuPagePortOpen()) return false;
  QueueBasicRead();
  return true;
}

void DtuDLT645::QueueBasicRead() {
  for (DtuDlt645MeterRow &row : model_.meters) row = DtuDlt645MeterRow();
  emit Changed();
  basic_read_pending_ = true;
  for (const char *key : {"dlt645-switch", "dlt645-channel", "dlt645-meter-cfg"}) {
    DtuPageQueueLine(std::string("AT+ZEVCFG=get|") + key + "|\r\n");
  }
}

bool DtuDLT645::OnBnClickedBtBasicSet() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  unsigned sent = 0;
  if (!BuildBasicLines(lines, sent)) return false;
  QueueBasicSet(lines, sent);
  return true;
}

// Every channel row 1..count is checked before anything is sent; fields go
// out trimmed, as they were checked.
bool DtuDLT645::BuildBasicLines(DtuSetLines &lines, unsigned &sent) const {
  const int n = model_.channel_count;
  lines.Add("dlt645-switch", "dlt645-switch", model_.switch_index == 0 ? "1" : "0");
  lines.Add("dlt645-channel", "dlt645-channel", std::to_string(n));
  sent = 0;
  for (int k = 1; k <= n; ++k) {
    if (!DtuDlt645AddMeterLine(k, model_.meters[k - 1], lines)) return false;
    sent |= ChannelBit(k);
  }
  return lines.Fit();
}

// Only the channels this Set sent count for its confirmation.
void DtuDLT645::QueueBasicSet(const DtuSetLines &lines, unsigned sent) {
  switch_outstanding_ = true;
  channel_outstanding_ = true;
  meters_outstanding_ = sent;
  basic_pending_ = true;
  lines.Queue();
}

void DtuDLT645::CheckBasicConfirmed() {
  if (!basic_pending_ || switch_outstanding_ || channel_outstanding_ || meters_outstanding_ != 0) return;
  basic_pending_ = false;
  DtuMessageBox(DtuLangText(DtuTextId::kDltConfigSucceeded));
  emit SetConfirmed();
}

void DtuDLT645::OnSwitch(const char *value) {
  model_.switch_index = std::atoi(value) != 0 ? 0 : 1;
  emit Changed();
  if (!basic_pending_) return;
  switch_outstanding_ = false;
  CheckBasicConfirmed();
}

void DtuDLT645::OnChannel(const char *value) {
  const int v = std::atoi(value);
  model_.channel_count = v < 1 ? 1 : v > kDlt645Channels ? kDlt645Channels : v;
  emit Changed();
  if (!basic_pending_) return;
  channel_outstanding_ = false;
  CheckBasicConfirmed();
}

// An empty value carries no record but still ends a Read.
void DtuDLT645::OnMeters(const char *value) {
  for (const DtuDlt645Meter &meter : DtuDlt645ParseMeters(value)) {
    if (meter.ch < 1 || meter.ch > kDlt645Channels) {
      DTU_LOG("meter record of channel %d ignored.", meter.ch);
      continue;
    }
    DtuDlt645MeterRow &row = model_.meters[meter.ch - 1];
    row.addr = meter.addr;
    row.preamble = meter.preamble;
    row.di_num = meter.di_num;
    row.cycle = meter.cycle;
    row.di_list = meter.DiList();
    if (basic_pending_) meters_outstanding_ &= ~ChannelBit(meter.ch);
  }
  emit Changed();
  CheckBasicConfirmed();
  if (basic_read_pending_.exchange(false) && !ReadPending()) emit ReadFinished();
}

bool DtuDLT645::Read() {
  if (!DtuPagePortOpen()) return false;
  QueueBasicRead();
  rules_changed_ = 0;
  return StartRuleRead({1, 2, 3, 4, 5, 6});
}

bool DtuDLT645::Set() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines basic;
  unsigned sent = 0;
  if (!BuildBasicLines(basic, sent)) return false;
  std::vector<int> channels;
  for (int c = 1; c <= kDlt645Channels; ++c) {
    if ((rules_changed_ & ChannelBit(c)) == 0) continue;
    DtuSetLines rule_lines;
    if (!DtuDlt645AddRuleLines(c, model_.Rule(c), rule_lines)) return false;
    channels.push_back(c);
  }
  QueueBasicSet(basic, sent);
  rules_changed_ = 0;
  if (!channels.empty()) {
    rules_to_set_.assign(channels.begin() + 1, channels.end());
    QueueRuleSet(channels.front());
  }
  return true;
}

void DtuDLT645::Dlt645SwitchSet(const char *value, int) {
  DTU_LOG("dlt645-switch : %s", value);
  OnSwitch(value);
}

void DtuDLT645::Dlt645ChannelSet(const char *value, int) {
  DTU_LOG("dlt645-channel : %s", value);
  OnChannel(value);
}

void DtuDLT645::Dlt645MeterCfgSet(const char *value, int) {
  OnMeters(value);
}

void DtuDLT645::Dlt645MeterRuleSet(const char *value, int) {
  DTU_LOG("dlt645-meter-rule : %s", value);
  OnRule(value);
}

void DtuDLT645::Dlt645MeterRuleItemSet(const char *value, int) {
  OnRuleItems(value);
}
