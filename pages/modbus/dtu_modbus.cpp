// The Modbus page: fields by name, the polling group's Read and Set, and its
// answer handlers. The forwarding rule group is in dtu_modbus_rule.cpp, the
// local file in dtu_modbus_local.cpp.
#include "pages/modbus/dtu_modbus.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_printable.h"
#include "base/dtu_text_id.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

constexpr int kSwitchSettleMs = 1000;  // after the switch answer, before the next query
constexpr int kAnswerWaitMs = 1000;    // for each answer a read waits for

bool ValueWhole(const char *value, int length) {
  if (length <= 0 || std::memchr(value, '\0', static_cast<size_t>(length)) == nullptr) return true;
  DTU_LOG("answer holds a NUL, not taken : %s", value);
  return false;
}

std::string Format(DtuTextId text_id, int a, int b = 0) {
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), a, b);
  return text;
}

}  // namespace

DtuModbus::DtuModbus(QObject *parent)
    : DtuMadeFieldsPage(parent), read_(new DtuCmdSequence(this)), ask_(new DtuCmdSequence(this)) {
  UseSwitches(std::make_shared<DtuModbusSwitches>());
  connect(read_, &DtuCmdSequence::StepSent, this, &DtuModbus::OnReadStepSent);
  connect(read_, &DtuCmdSequence::StepAnswered, this, &DtuModbus::OnReadStepAnswered);
  connect(read_, &DtuCmdSequence::Failed, this, &DtuModbus::OnReadFailed);
  // Every Set is an action of the page; the rules of a whole-page Set follow
  // one channel after another, each once the one before held. Queued: the
  // next action starts after the one that ended has told everyone.
  connect(
      this, &DtuPage::ActionEnded, this,
      [this](bool ok) {
        if (ok) ContinueChainedSet();
        else chained_rule_channel_ = 0;
      },
      Qt::QueuedConnection);
  BuildFields();
  DtuAttachPageAnswers({
      {"modbus-switch", &DtuPageAnswer<&DtuModbus::ModbusStatusSet>},
      {"modbus-channel", &DtuPageAnswer<&DtuModbus::ModbusChannelSet>},
      {"modbus-slave-cfg", &DtuPageAnswer<&DtuModbus::ModbusSlaveCfgSet>},
      {"modbus-slave-rule", &DtuPageAnswer<&DtuModbus::modbusDecodeRule>},
  });
}

DtuModbus::~DtuModbus() {
  switches_->TellPolling({});
  delete ask_;
  delete read_;  // stops it: nothing reaches this page any more
}

void DtuModbus::UseSwitches(std::shared_ptr<DtuModbusSwitches> switches) {
  if (switches_) switches_->TellPolling({});
  switches_ = std::move(switches);
  switches_->TellPolling([this] { return PollingOn(); });
}

std::vector<std::string> DtuModbus::SwitchItems() {
  return {DtuLangText(DtuTextId::kSwitchOff), DtuLangText(DtuTextId::kSwitchOn)};
}
std::vector<std::string> DtuModbus::RuleItems() {
  return {DtuLangText(DtuTextId::kDltTransparent), DtuLangText(DtuTextId::kDltParse)};
}
std::vector<std::string> DtuModbus::ByteOrderItems() { return {"ABCD", "DCBA", "BADC", "CDBA"}; }
std::vector<std::string> DtuModbus::ConvertItems() {
  return {DtuLangText(DtuTextId::kDltNoScale), DtuLangText(DtuTextId::kDltMultiply),
          DtuLangText(DtuTextId::kDltDivide)};
}
std::vector<std::string> DtuModbus::DataTypeItems() {
  std::vector<std::string> items;
  for (int code = 0; code < kDataTypes - 1; ++code) {
    items.push_back(DtuLangText(DtuTextIdAt(DtuTextId::kDltInt8, code)));
  }
  items.push_back(DtuLangText(DtuTextId::kRuleFloat32));
  return items;
}

DtuFieldDef DtuModbusSwitchDef(const char *name, DtuTextId label) {
  return DtuListFieldDef(name, nullptr, 2).Labelled(label).Listing(&DtuModbus::SwitchItems);
}

namespace {

using Model = DtuModbusModel;
using Row = DtuFieldRow<Model>;
using Group = DtuFieldRowGroup<Model>;

// Every field of the page, declared once: the polling lines, the channels'
// rows, then each channel's rule and its parameters. The names are the keys
// of the file's [MODBUS] and [DECODE].
const std::vector<DtuFieldRowGroup<Model>> &ModbusFieldRows() {
  using T = DtuTextId;
  static const std::vector<DtuFieldRowGroup<Model>> groups = {
      Group::Once({Row::Number(DtuModbusSwitchDef("funcSwitch", T::kModbusFunctionSwitch),
                               [](Model &m, int, int) { return &m.func_switch; })})
          .StoredIn(DtuModbus::kPollingSection),
      Group::Once({Row::Number(DtuModbusSwitchDef("packetSplit", T::kModbusPacketSplitSwitch),
                               [](Model &m, int, int) { return &m.packet_split; })}),
      Group::Once({Row::Number(DtuNumberFieldDef("maxChannel", nullptr)
                                   .Ranging(1, kModbusChannelCount)
                                   .FallingBackInFileTo(1)
                                   .Labelled(T::kModbusChannelCount),
                               [](Model &m, int, int) { return &m.channel_count; })})
          .StoredIn(DtuModbus::kPollingSection),
      Group::PerChannel(kModbusChannelCount,
                        {Row::Text(DtuTypedIntFieldDef("slave").Labelled(T::kCacheSlaveAddress),
                                   [](Model &m, int c, int) { return &m.channels[c - 1].slave; }),
                         Row::Text(DtuTypedIntFieldDef("Function").Labelled(T::kModbusFunctionCode),
                                   [](Model &m, int c, int) { return &m.channels[c - 1].function; }),
                         Row::Text(DtuTypedIntFieldDef("Addr").Labelled(T::kModbusRegisterAddress),
                                   [](Model &m, int c, int) { return &m.channels[c - 1].address; }),
                         Row::Text(DtuTypedIntFieldDef("Len").Labelled(T::kModbusRegisterCount),
                                   [](Model &m, int c, int) { return &m.channels[c - 1].count; }),
                         Row::Text(DtuTypedIntFieldDef("Cycle").Labelled(T::kModbusPollingCycle),
                                   [](Model &m, int c, int) { return &m.channels[c - 1].cycle; })})
          .StoredIn(DtuModbus::kPollingSection),
      Group::Once({Row::Number(
          DtuNumberFieldDef("configChannel", nullptr).Ranging(1, kModbusChannelCount).Labelled(T::kModbusConfigChannel),
          [](Model &m, int, int) { return &m.config_channel; })}),
      Group::PerChannel(
          kModbusChannelCount,
          {Row::Number(
               DtuListFieldDef("rule", nullptr, 2).Labelled(T::kModbusForwardRuleGroup).Listing(&DtuModbus::RuleItems),
               [](Model &m, int c, int) { return &m.rules[c - 1].rule; }),
           Row::Number(DtuNumberFieldDef("maxParamCnt", nullptr)
                           .Ranging(0, kModbusRuleParams)
                           .FallingBackInFileTo(1)
                           .Labelled(T::kModbusParameterCount),
                       [](Model &m, int c, int) { return &m.rules[c - 1].param_count; })},
          kModbusRuleParams,
          {Row::Text(DtuTextFieldDef("tag", nullptr).Labelled(T::kModbusParameterId),
                     [](Model &m, int c, int p) { return &m.rules[c - 1].params[p - 1].tag; }),
           Row::Text(DtuTypedIntFieldDef("startOffset").Labelled(T::kModbusRegisterAddress),
                     [](Model &m, int c, int p) { return &m.rules[c - 1].params[p - 1].address; }),
           Row::Number(DtuListFieldDef("dataType", nullptr, DtuModbus::kDataTypes)
                           .Labelled(T::kModbusDataType)
                           .Listing(&DtuModbus::DataTypeItems),
                       [](Model &m, int c, int p) { return &m.rules[c - 1].params[p - 1].data_type; }),
           Row::Number(DtuListFieldDef("dataEndian", nullptr, DtuModbus::kByteOrders)
                           .Labelled(T::kModbusByteOrder)
                           .Listing(&DtuModbus::ByteOrderItems),
                       [](Model &m, int c, int p) { return &m.rules[c - 1].params[p - 1].byte_order; }),
           Row::Number(DtuListFieldDef("dataRule", nullptr, DtuModbus::kConverts)
                           .Labelled(T::kModbusConvertRule)
                           .Listing(&DtuModbus::ConvertItems),
                       [](Model &m, int c, int p) { return &m.rules[c - 1].params[p - 1].convert; }),
           Row::Text(DtuTypedIntFieldDef("rate").Labelled(T::kModbusMultiplier),
                     [](Model &m, int c, int p) { return &m.rules[c - 1].params[p - 1].multiplier; })})
          .StoredIn(DtuModbus::kRuleSection),
  };
  return groups;
}

}  // namespace

void DtuModbus::BuildFields() { fields_ = DtuMakeFields(ModbusFieldRows(), model_); }

std::optional<bool> DtuModbus::CacheSwitchOn() const { return switches_->CacheOn(); }

bool DtuModbus::ChooseFunctionSwitch(int on) {
  if (on == 1 && CacheSwitchOn().value_or(false)) {
    DtuMessageBox(DtuLangText(DtuTextId::kModbusCacheStillOn));
    model_.func_switch = 0;
    emit Changed();
    return false;
  }
  model_.func_switch = on == 1 ? 1 : 0;
  emit Changed();
  return true;
}

void DtuModbus::SetWindow(int channel, long long start, long long length) {
  window_start_[channel - 1] = static_cast<int>(start);
  window_length_[channel - 1] = static_cast<int>(length);
}

// ---- Reads ----

DtuModbus::ReadStep DtuModbus::SwitchQuery(bool settle) {
  // The polling Read gives the device a second after its answer before the
  // next query; the whole page's Read, whose next query needs nothing of
  // that, goes on at once.
  const int pause = settle ? kSwitchSettleMs : 0;
  return {ReadStep::kSwitch, 0,
          {"AT+ZEVCFG=get|modbus-switch\r\n", "modbus-switch", DtuStepEnd::kPageDecides, pause + kAnswerWaitMs,
           pause}};
}

DtuModbus::ReadStep DtuModbus::CountQuery() {
  return {ReadStep::kCount, 0,
          {"AT+ZEVCFG=get|modbus-channel\r\n", "modbus-channel", DtuStepEnd::kPageDecides, kAnswerWaitMs}};
}

DtuModbus::ReadStep DtuModbus::ChannelQuery(int k) {
  const std::string line = "AT+ZEVCFG=get|modbus-slave-cfg|" + DtuModbusChannelArgument(k) + "\r\n";
  DTU_LOG("发送查询通道%d指令：%s", k, line.c_str());
  return {ReadStep::kChannel, k, {line, "modbus-slave-cfg", DtuStepEnd::kPageDecides, kAnswerWaitMs}};
}

void DtuModbus::StartRead(std::vector<ReadStep> steps, bool whole) {
  read_whole_ = whole;
  read_failed_ = false;
  device_error_ = false;
  refused_ = false;
  read_plan_ = std::move(steps);
  std::vector<DtuCmdStep> sequence;
  for (const ReadStep &step : read_plan_) sequence.push_back(step.step);
  read_->Start(std::move(sequence));
}

void DtuModbus::InsertReadSteps(std::vector<ReadStep> steps) {
  std::vector<DtuCmdStep> sequence;
  for (const ReadStep &step : steps) sequence.push_back(step.step);
  read_->InsertNext(std::move(sequence));
  read_plan_.insert(read_plan_.begin() + read_->CurrentStep() + 1, steps.begin(), steps.end());
}

void DtuModbus::OnReadStepSent(int step) {
  const ReadStep &sent = read_plan_[step];
  switch (sent.kind) {
    case ReadStep::kSwitch:
      switch_on_ = 0;
      switch_read_ = false;
      break;
    case ReadStep::kCount: received_count_ = 0; break;
    case ReadStep::kChannel: slave_cfg_channel_ = 0; break;
    case ReadStep::kRuleHeader:
      rule_channel_ = sent.channel;
      rule_state_ = 0;
      rule_held_[sent.channel - 1] = false;  // held again once read whole
      break;
    case ReadStep::kRuleParam: rule_param_read_ = 0; break;
  }
}

// The answer's handler ran already: its result decides what comes next. An
// answer that did not read as the value asked for ends the Read as failed:
// nothing of it may be written back as if the device held it.
void DtuModbus::OnReadStepAnswered(int step, const QByteArray &answer) {
  const ReadStep &asked = read_plan_[step];
  switch (asked.kind) {
    case ReadStep::kSwitch:
      if (!switch_read_) {
        read_->Fail(answer);
      } else if (switch_on_ == 1 || read_whole_) {
        read_->Advance();
      } else {
        read_->Cancel();  // the polling Read: polling off, no channel to read
      }
      break;
    case ReadStep::kCount: {
      if (received_count_ == 0) return read_->Fail(answer);  // not a count
      std::vector<ReadStep> next;
      for (int k = 1; k <= received_count_; ++k) next.push_back(ChannelQuery(k));
      for (int c = 1; read_whole_ && c <= received_count_; ++c) next.push_back(RuleHeaderQuery(c));
      InsertReadSteps(std::move(next));
      read_->Advance();
      break;
    }
    case ReadStep::kChannel:
      if (slave_cfg_channel_ != asked.channel) return read_->Fail(answer);
      read_->Advance();
      break;
    case ReadStep::kRuleHeader: {
      if (rule_state_ == 0) return read_->Fail(answer);  // not a header
      std::vector<ReadStep> params;
      for (int p = 1; rule_state_ == 1 && p <= rule_param_total_; ++p) params.push_back(RuleParamQuery(asked.channel, p));
      // A Transparent rule is read whole with its header.
      if (params.empty()) rule_held_[asked.channel - 1] = true;
      InsertReadSteps(std::move(params));
      read_->Advance();
      break;
    }
    case ReadStep::kRuleParam:
      // Only the parameter asked for, taken whole, lets the read go on.
      if (rule_param_read_ != asked.channel * 10 + asked.param) return read_->Fail(answer);
      if (asked.param == rule_param_total_) rule_held_[asked.channel - 1] = true;
      read_->Advance();
      break;
  }
}

bool DtuModbus::OnBnClickedBtModbusGet() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusChannelRow &row : model_.channels) row = DtuModbusChannelRow();
  emit Changed();
  StartRead({SwitchQuery(true), CountQuery()}, false);
  return true;
}

bool DtuModbus::Read() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusChannelRow &row : model_.channels) row = DtuModbusChannelRow();
  emit Changed();
  StartRead({SwitchQuery(false), CountQuery()}, true);
  return true;
}

bool DtuModbus::ReadPending() const { return read_->Running(); }

bool DtuModbus::SetPending() const {
  return DtuPage::SetPending() || RunningAction() == DtuPageAction::Kind::kSet || chained_rule_channel_ != 0 ||
         ask_->Running();
}

bool DtuModbus::SetField(const std::string &name, const std::string &value, std::string &error) {
  if (!DtuMadeFieldsPage::SetField(name, value, error)) return false;
  // rule<c>, maxParamCnt<c> and the parameters' fields <name><c><p>.
  static const char *const kRuleFields[] = {"rule", "maxParamCnt", "tag", "startOffset", "dataType",
                                            "dataEndian", "dataRule", "rate"};
  for (const char *prefix : kRuleFields) {
    const size_t length = std::strlen(prefix);
    if (name.size() <= length || strncasecmp(name.c_str(), prefix, length) != 0) continue;
    const int c = name[length] - '0';
    if (c >= 1 && c <= kModbusChannelCount) rule_held_[c - 1] = true;
    break;
  }
  return true;
}

// ---- Polling Set ----

bool DtuModbus::ValidatePollingChannel(int k, DtuModbusSlaveCfg &cfg) {
  const DtuModbusChannelRow &row = model_.channels[k - 1];
  cfg = {k, DtuTypedNumber(row.slave), DtuTypedNumber(row.function), DtuTypedNumber(row.address),
         DtuTypedNumber(row.count), DtuTypedNumber(row.cycle)};
  std::optional<DtuTextId> refused;
  if (cfg.slave < 1 || cfg.slave > 247) refused = DtuTextId::kModbusSlaveAddressRange;
  else if (cfg.function < 1 || cfg.function > 15) refused = DtuTextId::kModbusFunctionCodeRange;
  else if (cfg.address < 0) refused = DtuTextId::kModbusRegisterAddressRange;
  else if (cfg.count < 1) refused = DtuTextId::kModbusRegisterCountRange;
  else if (cfg.cycle < 1 || cfg.cycle > 3600) refused = DtuTextId::kModbusCycleRange;
  if (refused) {
    DtuMessageBox(Format(*refused, k));
    return false;
  }
  // A text that only starts with a number ("12abc", or an empty address read
  // as 0) would go out as a number nobody typed.
  struct Typed {
    const std::string *text;
    DtuTextId label;
  };
  for (const Typed &t : {Typed{&row.slave, DtuTextId::kCacheSlaveAddress}, Typed{&row.function, DtuTextId::kModbusFunctionCode},
                         Typed{&row.address, DtuTextId::kModbusRegisterAddress},
                         Typed{&row.count, DtuTextId::kModbusRegisterCount},
                         Typed{&row.cycle, DtuTextId::kModbusPollingCycle}}) {
    if (DtuTypedAllDigits(DtuTypedTrim(*t.text))) continue;
    char text[512];
    std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kModbusChannelNotNumber), k, DtuLangText(t.label));
    DtuMessageBox(text);
    return false;
  }
  // The device reads fixed widths: a value that needs more digits would be
  // cut and read as another number.
  struct Width {
    long long value;
    DtuTextId label;
    int width;
  };
  for (const Width &w : {Width{cfg.address, DtuTextId::kModbusRegisterAddress, kModbusAddressWidth},
                         Width{cfg.count, DtuTextId::kModbusRegisterCount, kModbusCountWidth}}) {
    if (DtuModbusFitsWidth(w.value, w.width)) continue;
    char text[512];
    std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kModbusChannelWidth), k, DtuLangText(w.label), w.width,
                  static_cast<int>(DtuModbusWidthMax(w.width)));
    DtuMessageBox(text);
    return false;
  }
  SetWindow(k, cfg.address, cfg.count);
  return true;
}

bool DtuModbus::OnBnClickedBtModbusSet() {
  if (!DtuPagePortOpen()) return false;
  chained_rule_channel_ = 0;
  return StartSet(false);
}

bool DtuModbus::Set() {
  chained_rule_channel_ = 0;
  if (!DtuPagePortOpen()) return false;
  // Every channel and every rule is checked before anything is written; the
  // rules then go out one channel at a time as the device takes each.
  for (int k = 1; k <= model_.channel_count; ++k) {
    DtuModbusSlaveCfg cfg;
    if (!ValidatePollingChannel(k, cfg)) return false;
  }
  for (int c = 1; c <= model_.channel_count; ++c) {
    DtuSetLines lines;
    std::vector<std::string> notes;
    if (!RuleLines(c, lines, notes)) return false;
  }
  return StartSet(true);
}

bool DtuModbus::StartSet(bool whole) {
  refused_ = false;
  read_failed_ = false;
  device_error_ = false;
  if (model_.func_switch == 1) {
    const std::optional<bool> cache = CacheSwitchOn();
    if (cache.value_or(false)) {
      DtuMessageBox(DtuLangText(DtuTextId::kModbusCacheStillOn));
      return false;
    }
    if (!cache) {
      // Checked first, so that the device is asked only about a Set that goes out.
      for (int k = 1; k <= model_.channel_count; ++k) {
        DtuModbusSlaveCfg cfg;
        if (!ValidatePollingChannel(k, cfg)) return false;
      }
      AskCacheSwitch(whole);
      return true;
    }
  }
  return QueuePollingSet(whole);
}

// Nobody here knows the cache proxy's switch: the device tells it.
void DtuModbus::AskCacheSwitch(bool whole) {
  ask_->disconnect(this);
  connect(ask_, &DtuCmdSequence::StepAnswered, this,
          [this, whole](int, const QByteArray &answer) { OnCacheSwitchAnswer(answer, whole); });
  connect(ask_, &DtuCmdSequence::Failed, this, [this](int step, DtuSequenceFailure reason, const QByteArray &answer) {
    chained_rule_channel_ = 0;
    if (reason != DtuSequenceFailure::kCancelled) ReportQueryFailed("modbus-cache-switch", step, reason, answer);
  });
  ask_->Start({{"AT+ZEVCFG=get|modbus-cache-switch\r\n", "modbus-cache-switch", DtuStepEnd::kPageDecides,
                kAnswerWaitMs}});
}

void DtuModbus::OnCacheSwitchAnswer(const QByteArray &answer, bool whole) {
  const std::optional<int> cache = DtuModbusSwitchInAnswer(answer.toStdString(), "modbus-cache-switch");
  if (!cache || *cache > 1) return ask_->Fail(answer);
  if (*cache == 1) {
    refused_ = true;
    ask_->Cancel();
    DtuMessageBox(DtuLangText(DtuTextId::kModbusCacheStillOn));
    emit Changed();
    return;
  }
  ask_->Advance();  // its only step: what follows is the Set's own action
  QueuePollingSet(whole);
}

bool DtuModbus::QueuePollingSet(bool whole) {
  const int f = model_.func_switch, s = model_.packet_split, n = model_.channel_count;
  // The polling Set of the window writes the channels only with the switch
  // ON (it hides them otherwise); the whole page writes what it holds.
  const bool channels = f == 1 || whole;
  std::vector<std::string> payloads;
  for (int k = 1; channels && k <= n; ++k) {
    DtuModbusSlaveCfg cfg;
    if (!ValidatePollingChannel(k, cfg)) return false;
    payloads.push_back(*DtuModbusBuildSlaveCfg(cfg));
  }
  // One action: the Set is confirmed once every line was answered or
  // acknowledged, and a refused or lost line is named.
  DtuSetLines lines;
  lines.Add("funcSwitch", "modbus-switch", std::to_string(s * 2 + f));
  if (channels) {
    lines.Add("maxChannel", "modbus-channel", std::to_string(n));
    for (int k = 1; k <= n; ++k) {
      lines.Add("slave" + std::to_string(k), "modbus-slave-cfg", payloads[k - 1]);
      DTU_LOG("发送通道%d配置指令：%s", k, payloads[k - 1].c_str());
    }
  }
  if (whole) {
    chained_rule_channel_ = 1;
    chained_last_channel_ = n;
  }
  QueueSet(lines, f == 1 ? DtuTextId::kModbusPollingSucceeded : DtuTextId::kModbusDisableSucceeded);
  return true;
}

void DtuModbus::ContinueChainedSet() {
  if (chained_rule_channel_ == 0) return;
  const int channel = chained_rule_channel_;
  chained_rule_channel_ = channel < chained_last_channel_ ? channel + 1 : 0;
  if (!QueueRuleSet(channel)) chained_rule_channel_ = 0;
}

// ---- Polling answers ----

std::string DtuModbus::ReadStepField(int step) const {
  const ReadStep &s = read_plan_[step];
  const std::string n = std::to_string(s.channel);
  switch (s.kind) {
    case ReadStep::kSwitch: return "funcSwitch";
    case ReadStep::kCount: return "maxChannel";
    case ReadStep::kChannel: return "slave" + n;
    case ReadStep::kRuleHeader: return "rule" + n;
    case ReadStep::kRuleParam: return "tag" + n + std::to_string(s.param);
  }
  return std::string();
}

void DtuModbus::OnReadFailed(int step, DtuSequenceFailure reason, const QByteArray &answer) {
  // The Read stops on purpose once polling reads as off.
  if (reason == DtuSequenceFailure::kCancelled || step < 0 || step >= static_cast<int>(read_plan_.size())) return;
  ReportQueryFailed(ReadStepField(step), step, reason, answer);
}

void DtuModbus::ReportQueryFailed(const std::string &field, int step, DtuSequenceFailure reason,
                                  const QByteArray &answer) {
  read_failed_ = true;
  std::string message;
  switch (reason) {
    case DtuSequenceFailure::kErrorAnswer:
      device_error_ = true;
      message = DtuPageFailureMessage({{step, field, DtuCmdOutcome::kDeviceError, answer.toStdString()}});
      break;
    case DtuSequenceFailure::kPortClosed:
      message = DtuPageFailureMessage({{step, field, DtuCmdOutcome::kPortClosed, ""}});
      break;
    case DtuSequenceFailure::kPage:
    case DtuSequenceFailure::kNoValue: {
      // A bare OK carries no value: the answer could not be read either.
      const QByteArray shown = reason == DtuSequenceFailure::kNoValue ? QByteArray("OK") : answer.left(64);
      char text[512];
      std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kAnswerNotRead), field.c_str(),
                    DtuEscapeControl(shown.toStdString()).c_str());
      message = text;
      break;
    }
    default: message = DtuPageFailureMessage({{step, field, DtuCmdOutcome::kNoAnswer, ""}}); break;
  }
  DTU_LOG("%s", message.c_str());
  emit Changed();
  DtuWarningBox(message);
}

void DtuModbus::OnStatus(const char *value) {
  DTU_LOG("status : %s", value);
  const std::string text = DtuTypedTrim(value);
  const long long v = DtuTypedNumber(value);
  // The switch answer holds the switch in bit 0 and packet splitting in bit 1.
  switch_read_ = DtuTypedAllDigits(text) && text.size() <= 2 && v >= 0 && v <= 3;
  if (!switch_read_) {
    DTU_LOG("switch answer not read : %s", value);
    return;
  }
  model_.packet_split = (v & 2) ? 1 : 0;
  if (v & 1) {
    switch_on_ = 1;
    model_.func_switch = 1;
    emit Changed();
    return;
  }
  switch_on_ = 0;
  model_.func_switch = 0;
  emit Changed();
}

void DtuModbus::OnChannel(const char *value) {
  DTU_LOG("count : %s", value);
  if (value[0] < '1' || value[0] > '6') return;
  model_.channel_count = value[0] - '0';
  received_count_ = model_.channel_count;
  emit Changed();
}

void DtuModbus::OnSlaveCfg(const char *value) {
  const DtuModbusSlaveCfgAnswer a = DtuModbusParseSlaveCfg(value);
  switch (a.status) {
    case DtuModbusSlaveCfgAnswer::kEmpty: DTU_LOG("Modbus配置字符串为空，解析失败"); return;
    case DtuModbusSlaveCfgAnswer::kBadLength:
      DTU_LOG("配置字符串长度错误（需%d位，实际%d位），解析失败", 26, a.length);
      return;
    case DtuModbusSlaveCfgAnswer::kBadChannel: DTU_LOG("通道号无效（%d），解析失败", a.channel); return;
    case DtuModbusSlaveCfgAnswer::kNotDigits: DTU_LOG("配置字符串含非数字字符，解析失败：%s", value); return;
    case DtuModbusSlaveCfgAnswer::kOk: break;
  }
  DTU_LOG("开始解析Modbus配置字符串：%s", DtuTypedTrim(value).c_str());
  slave_cfg_channel_ = a.channel;
  model_.channels[a.channel - 1] = {a.slave, a.function, a.address, a.count, a.cycle};
  SetWindow(a.channel, DtuTypedNumber(a.address), DtuTypedNumber(a.count));
  DTU_LOG("解析通道%d配置成功：从站地址=%s, 功能码=%s, 寄存器地址=%s, 数据长度=%s, 周期=%s", a.channel,
          a.slave.c_str(), a.function.c_str(), a.address.c_str(), a.count.c_str(), a.cycle.c_str());
  emit Changed();
}

// A value that holds a NUL would be read only up to it (a tag cut, a number
// short of its digits): it is not taken, and the read waiting for it fails.
void DtuModbus::ModbusStatusSet(const char *value, int length) {
  if (ValueWhole(value, length)) OnStatus(value);
}

void DtuModbus::ModbusChannelSet(const char *value, int length) {
  if (ValueWhole(value, length)) OnChannel(value);
}

void DtuModbus::ModbusSlaveCfgSet(const char *value, int length) {
  if (ValueWhole(value, length)) OnSlaveCfg(value);
}

void DtuModbus::modbusDecodeRule(const char *value, int length) {
  if (ValueWhole(value, length)) OnRule(value);
}
