// The DL/T 645 page object, its lists, the basic parameters group, and the
// page's whole Read and Set with what a Read did not get.
#include "pages/dlt645/dtu_dlt645.h"

#include <cstdio>
#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_printable.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/dlt645/dtu_dlt645_reader.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

unsigned ChannelBit(int channel) { return 1u << (channel - 1); }

std::vector<std::string> Texts(DtuTextId first_id, int count) {
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) items.push_back(DtuLangText(DtuTextIdAt(first_id, i)));
  return items;
}

// A switch or count answer: a decimal number, nothing else.
bool ReadsAsNumber(const char *value, int &number) {
  const std::string text = DtuTypedTrim(value);
  if (!DtuTypedAllDigits(text) || text.size() > 9) return false;
  number = std::atoi(text.c_str());
  return true;
}

std::string Joined(const std::vector<std::string> &names) {
  std::string text;
  for (const std::string &name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The fields a failure names: the switch, the count, the meter fields that
// did not come, the rule, the item by its tag.
std::string FailedFields(const DtuDlt645Unread &unread) {
  const std::string c = std::to_string(unread.channel);
  switch (unread.kind) {
    case DtuDlt645Unread::kSwitch: return "funcSwitch";
    case DtuDlt645Unread::kChannel: return "maxChannel";
    case DtuDlt645Unread::kMeter:
      return Joined(DtuDlt645MeterFieldNames(unread.channel, unread.missing));
    case DtuDlt645Unread::kRule: return "rule" + c;
    case DtuDlt645Unread::kItem: return "tag" + c + "_" + std::to_string(unread.item);
  }
  return std::string();
}

}  // namespace

DtuDLT645::DtuDLT645(QObject *parent) : DtuPage(parent), reader_(std::make_unique<DtuDlt645Reader>(*this)) {
  BuildFields();
  connect(this, &DtuPage::ActionEnded, this, [this] { whole_set_ = false; });
  DtuAttachPageAnswers({
      {"dlt645-switch", &DtuPageAnswer<&DtuDLT645::Dlt645SwitchSet>},
      {"dlt645-channel", &DtuPageAnswer<&DtuDLT645::Dlt645ChannelSet>},
      {"dlt645-meter-cfg", &DtuPageAnswer<&DtuDLT645::Dlt645MeterCfgSet>},
      {"dlt645-meter-rule", &DtuPageAnswer<&DtuDLT645::Dlt645MeterRuleSet>},
      {"dlt645-meter-rule-item", &DtuPageAnswer<&DtuDLT645::Dlt645MeterRuleItemSet>},
  });
}

// The reader stops before the members its steps look at go away.
DtuDLT645::~DtuDLT645() {
  reader_.reset();
}

std::vector<std::string> DtuDLT645::SwitchItems() { return {DtuLangText(DtuTextId::kSwitchOn), DtuLangText(DtuTextId::kSwitchOff)}; }
std::vector<std::string> DtuDLT645::RuleItems() { return Texts(DtuTextId::kDltTransparent, kRuleCount); }
std::vector<std::string> DtuDLT645::DataTypeItems() { return Texts(DtuTextId::kDltInt8, kDataTypeCount); }
std::vector<std::string> DtuDLT645::DataRuleItems() { return Texts(DtuTextId::kDltNoScale, kDataRuleCount); }
std::vector<std::string> DtuDLT645::EndianItems() { return {"AB", "BA"}; }

bool DtuDLT645::ReadPending() const { return reader_->Running(); }

bool DtuDLT645::Busy() const { return reader_->Running(); }

bool DtuDLT645::OnBnClickedBtBasicRead() {
  if (!DtuPagePortOpen()) return false;
  reader_->Start(DtuDlt645Reader::Scope::kBasic);
  return true;
}

// One action: confirmed once every line was answered or acknowledged, the
// first refused or lost line named otherwise.
bool DtuDLT645::OnBnClickedBtBasicSet() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  if (!BuildBasicLines(lines)) return false;
  QueueSet(lines, DtuTextId::kDltBasicConfigSucceeded);
  return true;
}

// Every channel row 1..count is checked before anything is sent; fields go
// out trimmed, as they were checked.
bool DtuDLT645::BuildBasicLines(DtuSetLines &lines) const {
  const int n = model_.channel_count;
  lines.Add("funcSwitch", "dlt645-switch", model_.switch_index == 0 ? "1" : "0");
  lines.Add("maxChannel", "dlt645-channel", std::to_string(n));
  for (int k = 1; k <= n; ++k) {
    if (!DtuDlt645AddMeterLine(k, model_.meters[k - 1], lines)) return false;
  }
  return lines.Fit();
}

void DtuDLT645::OnSwitch(const char *value) {
  int v = 0;
  if (!ReadsAsNumber(value, v)) return void(DTU_LOG("switch answer not read : %s", value));
  model_.switch_index = v != 0 ? 0 : 1;
  switch_read_ = true;
  emit Changed();
}

void DtuDLT645::OnChannel(const char *value) {
  int v = 0;
  if (!ReadsAsNumber(value, v)) return void(DTU_LOG("channel count answer not read : %s", value));
  model_.channel_count = v < 1 ? 1 : v > kDlt645Channels ? kDlt645Channels : v;
  channel_read_ = true;
  channel_answer_ = v;
  emit Changed();
}

// An empty value carries no record.
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
    meter_fields_[meter.ch - 1] |= meter.present;
  }
  emit Changed();
}

bool DtuDLT645::Read() {
  if (!DtuPagePortOpen()) return false;
  rules_changed_ = 0;
  reader_->Start(DtuDlt645Reader::Scope::kWhole);
  return true;
}

// The basic parameters and each changed rule with its read-back, as one
// action. Every part is checked before anything is sent. A rule the page
// neither read nor loaded is refused: its fields not named would go out as
// the page's defaults over what the device holds.
bool DtuDLT645::Set() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  if (!BuildBasicLines(lines)) return false;
  for (int c = 1; c <= kDlt645Channels; ++c) {
    if ((rules_changed_ & ChannelBit(c)) == 0) continue;
    if ((rules_known_ & ChannelBit(c)) == 0) {
      char text[512];
      std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kDltRuleNotRead), c, model_.channel_count);
      DtuWarningBox(text);
      return false;
    }
    if (!BuildRuleLines(c, lines)) return false;
  }
  rules_changed_ = 0;
  whole_set_ = true;
  QueueSet(lines, DtuTextId::kDltConfigSucceeded);
  return true;
}

void DtuDLT645::ReadStarting() {
  before_read_ = model_;
  read_failed_ = false;
  failed_outcome_.reset();
  channel_being_read_ = 0;
  rules_asked_ = 0;
}

void DtuDLT645::MetersAsked() {
  for (DtuDlt645MeterRow &row : model_.meters) row = DtuDlt645MeterRow();
  for (unsigned &fields : meter_fields_) fields = 0;
  emit Changed();
}

void DtuDLT645::RuleAsked(int channel) {
  ClearRuleRows(channel);
  channel_being_read_ = channel;
  rule_answer_ = RuleAnswer::kNone;
  items_to_read_ = 0;
  items_answered_ = 0;
  rules_asked_ |= ChannelBit(channel);
  emit Changed();
}

// Puts back what the Read found in the place it did not get, and names its
// fields, by the file's names and by those the view binds (the rule on view
// by its own).
void DtuDLT645::PutBack(const DtuDlt645Unread &unread, std::vector<std::string> &names) {
  const int c = unread.channel;
  const bool on_view = c == model_.config_channel;
  std::vector<std::string> more;
  auto view_params = [&](int p) {
    for (const char *word : {"Tag", "RuleDi", "DataType", "DataEndian", "DataRule", "Rate"}) {
      if (on_view) more.push_back(word + std::to_string(p));
    }
  };
  switch (unread.kind) {
    case DtuDlt645Unread::kSwitch:
      model_.switch_index = before_read_.switch_index;
      more = {"funcSwitch", "Switch"};
      break;
    case DtuDlt645Unread::kChannel:
      model_.channel_count = before_read_.channel_count;
      more = {"maxChannel", "ChannelCount"};
      break;
    case DtuDlt645Unread::kMeter: {
      DtuDlt645MeterRow &row = model_.meters[c - 1];
      const DtuDlt645MeterRow &was = before_read_.meters[c - 1];
      if (unread.missing & DtuDlt645Meter::kAddr) row.addr = was.addr;
      if (unread.missing & DtuDlt645Meter::kPreamble) row.preamble = was.preamble;
      if (unread.missing & DtuDlt645Meter::kCycle) row.cycle = was.cycle;
      if (unread.missing & DtuDlt645Meter::kDiNum) row.di_num = was.di_num;
      if (unread.missing == DtuDlt645Meter::kAll) row.di_list = was.di_list;  // no record at all
      more = DtuDlt645MeterFieldNames(c, unread.missing, unread.missing == DtuDlt645Meter::kAll);
      if (unread.missing == DtuDlt645Meter::kAll) more.push_back("DiList" + std::to_string(c));
      break;
    }
    case DtuDlt645Unread::kRule: {
      DtuDlt645RuleRows &rule = model_.Rule(c);
      rule = before_read_.Rule(c);
      more = {"rule" + std::to_string(c), "paramCnt" + std::to_string(c)};
      for (int p = 1; rule.rule == 1 && p <= rule.param_count; ++p) {
        for (const std::string &name : DtuDlt645ParamFieldNames(c, p)) more.push_back(name);
      }
      if (on_view) more.insert(more.end(), {"Rule", "ParamCount"});
      for (int p = 1; rule.rule == 1 && p <= rule.param_count; ++p) view_params(p);
      break;
    }
    case DtuDlt645Unread::kItem:
      model_.Rule(c).params[unread.item - 1] = before_read_.Rule(c).params[unread.item - 1];
      more = DtuDlt645ParamFieldNames(c, unread.item);
      view_params(unread.item);
      break;
  }
  names.insert(names.end(), more.begin(), more.end());
}

// The places the Read did not get keep what they held and are marked; its
// failures are named in one message, the first one decides how the Read
// failed. An empty rule answer ("no rule") is marked but is no failure.
void DtuDLT645::ReadEnded(const std::vector<DtuDlt645Unread> &unread) {
  std::vector<std::string> marked;
  std::vector<DtuPageAction::Failure> refused;
  std::string unreadable;
  unsigned rules_failed = 0;
  for (const DtuDlt645Unread &u : unread) {
    PutBack(u, marked);
    if (!u.failure) continue;
    if (u.kind == DtuDlt645Unread::kRule || u.kind == DtuDlt645Unread::kItem) rules_failed |= ChannelBit(u.channel);
    if (!read_failed_) failed_outcome_ = u.outcome;
    read_failed_ = true;
    if (u.outcome) {
      refused.push_back({0, FailedFields(u), *u.outcome, u.error_word});
      continue;
    }
    char text[512];
    std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kAnswerNotRead), FailedFields(u).c_str(),
                  DtuEscapeControl(u.answer.substr(0, 64)).c_str());
    unreadable += (unreadable.empty() ? "" : "\n") + std::string(text);
  }
  rules_known_ |= rules_asked_ & ~rules_failed;
  channel_being_read_ = 0;
  SetMarkedFields(marked);
  emit Changed();
  if (read_failed_) {
    std::string message = DtuPageFailureMessage(refused);
    if (!unreadable.empty()) message += (message.empty() ? "" : "\n") + unreadable;
    DTU_LOG("%s", message.c_str());
    DtuWarningBox(message);
  }
  emit ReadFinished();
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
