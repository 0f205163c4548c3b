// The step sequences of the Modbus cache page. Read: switch, channel count,
// then each channel the device counts. Set: proxy off, each channel, channel
// count, target switch. The answer handlers judge each answer line for the
// waiting step; while setting, a bare OK lets a step go on as well (once per
// command: the sequence passes over the OK of a line that already did).
#include <cstdio>
#include <optional>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/modbus/dtu_modbus_payload.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

std::string Line(const char *verb, const char *key, const std::string &payload) {
  return std::string("AT+ZEVCFG=") + verb + "|" + key + "|" + payload + "\r\n";
}

std::string ChannelLabel(int channel) {
  char text[128];
  std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kCacheChannelGroup), channel);
  return text;
}

// A switch or count answer as a number, or -1 when it is not all digits.
int SmallNumber(const std::string &value) {
  return DtuTypedAllDigits(value) && value.size() <= 2 ? static_cast<int>(DtuTypedNumber(value)) : -1;
}

}  // namespace

DtuCmdStep DtuModbusCache::Step(std::string line, const char *key) const {
  DtuCmdStep step;
  step.line = std::move(line);
  step.key = key;
  step.end = operation_ == kSetting ? DtuStepEnd::kPageDecidesOrBareOk : DtuStepEnd::kPageDecides;
  step.timeout_ms = step_timeout_ms_;
  return step;
}

// The polling switch, when no polling page shares the switches: its answer
// is judged by this page alone (the polling page's handler may not exist).
// A bare OK carries no switch, whatever the operation.
DtuCmdStep DtuModbusCache::PollingQuery() const {
  DtuCmdStep step = Step("AT+ZEVCFG=get|modbus-switch\r\n", "modbus-switch");
  step.end = DtuStepEnd::kPageDecides;
  return step;
}

int DtuModbusCache::Logical(int step) const {
  if (polling_step_ < 0 || step < polling_step_) return step;
  return step == polling_step_ ? -1 : step - 1;
}

bool DtuModbusCache::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusCacheRow &row : model_.rows) {
    row = DtuModbusCacheRow();
    row.function = 1;
  }
  emit Changed();
  count_ = model_.channel_count;
  operation_ = kReading;
  // The channels follow once the device said how many there are; the
  // polling switch, once it said the proxy is on and nobody here knows.
  Start({Step("AT+ZEVCFG=get|modbus-cache-switch\r\n", "modbus-cache-switch"),
         Step("AT+ZEVCFG=get|modbus-cache-channel\r\n", "modbus-cache-channel")},
        -1);
  return true;
}

std::vector<DtuCmdStep> DtuModbusCache::ReadChannelSteps() const {
  std::vector<DtuCmdStep> steps;
  for (int k = 1; k <= count_; ++k) {
    steps.push_back(Step(Line("get", "modbus-cache-slave-cfg", std::to_string(k)), "modbus-cache-slave-cfg"));
  }
  return steps;
}

bool DtuModbusCache::OnBnClickedBtSet() {
  if (!Validate()) return false;
  if (!DtuPagePortOpen()) return false;
  refused_ = false;
  const std::optional<bool> polling = switches_->PollingOn();
  if (model_.func_switch == 1 && polling.value_or(false)) {
    DtuMessageBox(DtuLangText(DtuTextId::kModbusPollingStillOn));
    return false;
  }
  target_switch_ = model_.func_switch;
  count_ = model_.channel_count;
  operation_ = kSetting;
  std::vector<DtuCmdStep> steps = SetSteps();
  // ON is written only to a device whose polling is off: asked first when
  // nobody here can tell.
  const bool ask = model_.func_switch == 1 && !polling;
  if (ask) steps.insert(steps.begin(), PollingQuery());
  Start(std::move(steps), ask ? 0 : -1);
  return true;
}

std::vector<DtuCmdStep> DtuModbusCache::SetSteps() const {
  std::vector<DtuCmdStep> steps = {Step(Line("set", "modbus-cache-switch", "0"), "modbus-cache-switch")};
  for (int k = 1; k <= count_; ++k) {
    const std::string payload = *DtuModbusBuildCacheChannel(RowChannel(k));
    steps.push_back(Step(Line("set", "modbus-cache-slave-cfg", payload), "modbus-cache-slave-cfg"));
  }
  steps.push_back(Step(Line("set", "modbus-cache-channel", std::to_string(count_)), "modbus-cache-channel"));
  steps.push_back(Step(Line("set", "modbus-cache-switch", std::to_string(target_switch_)), "modbus-cache-switch"));
  return steps;
}

void DtuModbusCache::Start(std::vector<DtuCmdStep> steps, int polling_step) {
  failed_ = false;
  device_error_ = false;
  refused_ = false;
  accepted_ = false;
  polling_step_ = polling_step;
  sequence_->Start(std::move(steps));
}

std::string DtuModbusCache::StepLabel(int physical) const {
  const int step = Logical(physical);
  if (step < 0) return DtuLangText(DtuTextId::kTreeModbusParams);
  if (operation_ == kReading) {
    if (step == 0) return DtuLangText(DtuTextId::kModbusFunctionSwitch);
    if (step == 1) return DtuLangText(DtuTextId::kCacheChannelCount);
    return ChannelLabel(step - 1);
  }
  if (step == 0 || step == count_ + 2) return DtuLangText(DtuTextId::kModbusFunctionSwitch);
  if (step == count_ + 1) return DtuLangText(DtuTextId::kCacheChannelCount);
  return ChannelLabel(step);
}

void DtuModbusCache::Finish() {
  const bool was_setting = operation_ == kSetting;
  operation_ = kIdle;
  emit Changed();
  if (!was_setting) {
    emit ReadFinished();
    return;
  }
  stored_switch_ = target_switch_;
  DtuMessageBox(DtuLangText(DtuTextId::kCacheConfigCompleted));
  emit SetConfirmed();
}

void DtuModbusCache::OnFailed(int step, DtuSequenceFailure reason, const QByteArray &text) {
  if (operation_ == kIdle) return;
  if (reason == DtuSequenceFailure::kCancelled) {  // stopped on purpose, the reason already shown
    operation_ = kIdle;
    return;
  }
  DtuTextId message = DtuTextId::kCacheBadAnswer;
  if (reason == DtuSequenceFailure::kTimeout) message = DtuTextId::kCacheTimeout;
  if (reason == DtuSequenceFailure::kErrorAnswer || reason == DtuSequenceFailure::kNotQueued) {
    DTU_LOG("device error : %s", text.constData());
    message = DtuTextId::kModbusCacheFailed;
    device_error_ = reason == DtuSequenceFailure::kErrorAnswer;
  }
  const std::string label = StepLabel(step);
  operation_ = kIdle;
  failed_ = true;
  DTU_LOG("step %d failed : %s", step, label.c_str());
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), DtuLangText(message), label.c_str());
  DtuMessageBox(buffer);
  emit Changed();
}

// ---- Answers ----

void DtuModbusCache::OnSwitch(const char *raw) {
  accepted_ = false;
  const int v = SmallNumber(DtuModbusCacheAnswerValue(raw));
  if (v != 0 && v != 1) {
    if (operation_ != kIdle) Fail();
    return;
  }
  const int step = CurrentStep();
  if (operation_ == kSetting && (step == 0 || step == count_ + 2)) {
    const int expected = step == 0 ? 0 : target_switch_;
    if (v != expected) return Fail();
    Accept();
    return;
  }
  if (v == 1 && PollingOn()) return RefuseForPolling(true);
  if (v == 1 && operation_ == kReading && step == 0 && !switches_->PollingOn()) {
    // Shown ON only once the device said its polling is off.
    polling_step_ = sequence_->CurrentStep() + 1;
    sequence_->InsertNext({PollingQuery()});
    Accept();
    return;
  }
  stored_switch_ = v;
  model_.func_switch = v;
  emit Changed();
  if (operation_ == kReading && step == 0) Accept();
}

void DtuModbusCache::OnChannelCount(const char *raw) {
  accepted_ = false;
  const int v = SmallNumber(DtuModbusCacheAnswerValue(raw));
  if (v < 1 || v > kModbusCacheChannels) {
    if (operation_ != kIdle) Fail();
    return;
  }
  const int step = CurrentStep();
  if (operation_ == kSetting && step == count_ + 1) {
    if (v != count_) return Fail();
    Accept();
    return;
  }
  model_.channel_count = v;
  emit Changed();
  if (operation_ == kReading && step == 1) {
    count_ = v;
    sequence_->InsertNext(ReadChannelSteps());
    Accept();
  }
}

void DtuModbusCache::ApplyChannel(const DtuModbusCacheChannel &c) {
  DtuModbusCacheRow &row = model_.rows[c.channel - 1];
  row.slave = std::to_string(c.slave);
  row.function = c.function;
  row.start = std::to_string(c.start);
  row.quantity = std::to_string(c.quantity);
  row.cycle = std::to_string(c.cycle);
  emit Changed();
}

void DtuModbusCache::OnSlaveCfg(const char *raw) {
  accepted_ = false;
  const std::string value = DtuModbusCacheAnswerValue(raw);
  const auto channel = DtuModbusParseCacheChannel(value);
  if (!channel) {
    if (operation_ != kIdle) Fail();
    return;
  }
  const int step = CurrentStep();
  if (operation_ == kSetting) {
    // Only a channel step expects this key, and only for its own channel.
    const bool expected = step >= 1 && step <= count_ && channel->channel == step;
    if (!expected || value != *DtuModbusBuildCacheChannel(RowChannel(step))) return Fail();
    Accept();
    return;
  }
  const bool reading_channel = operation_ == kReading && step >= 2;
  if (reading_channel && channel->channel != step - 1) return Fail();
  if (!DtuModbusCacheChannelValid(*channel)) {
    if (operation_ != kIdle) Fail();
    return;
  }
  ApplyChannel(*channel);
  if (reading_channel) Accept();
}

// Polling and proxy may not both be on: nothing more is read or written;
// a switch answer of ON (`answered_on`) is shown as OFF.
void DtuModbusCache::RefuseForPolling(bool answered_on) {
  refused_ = true;
  sequence_->Cancel();
  if (answered_on) {
    stored_switch_ = 0;
    model_.func_switch = 0;
    emit Changed();
  }
  DtuMessageBox(DtuLangText(DtuTextId::kModbusPollingStillOn));
}

void DtuModbusCache::OnPollingAnswer(const QByteArray &answer) {
  const std::optional<int> polling = DtuModbusSwitchInAnswer(answer.toStdString(), "modbus-switch");
  if (!polling || *polling > 3) return Fail();
  if (*polling & 1) return RefuseForPolling(operation_ == kReading);
  if (operation_ == kReading) {  // the proxy's ON, held back until now
    stored_switch_ = 1;
    model_.func_switch = 1;
    emit Changed();
  }
  sequence_->Advance();
}
