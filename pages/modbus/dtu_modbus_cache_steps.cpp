// The step sequences of the Modbus cache page. Read: switch, channel count,
// then each channel the device counts. Set: proxy off, each channel, channel
// count, target switch. The answer handlers judge each answer line for the
// waiting step; while setting, a bare OK lets a step go on as well (once per
// command: the sequence passes over the OK of a line that already did).
#include <cstdio>

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

bool DtuModbusCache::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusCacheRow &row : model_.rows) {
    row = DtuModbusCacheRow();
    row.function = 1;
  }
  emit Changed();
  count_ = model_.channel_count;
  operation_ = kReading;
  // The channels follow once the device said how many there are.
  Start({Step("AT+ZEVCFG=get|modbus-cache-switch\r\n", "modbus-cache-switch"),
         Step("AT+ZEVCFG=get|modbus-cache-channel\r\n", "modbus-cache-channel")});
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
  if (model_.func_switch == 1 && PollingOn()) {
    DtuMessageBox(DtuLangText(DtuTextId::kModbusPollingStillOn));
    return false;
  }
  target_switch_ = model_.func_switch;
  count_ = model_.channel_count;
  operation_ = kSetting;
  Start(SetSteps());
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

void DtuModbusCache::Start(std::vector<DtuCmdStep> steps) {
  failed_ = false;
  accepted_ = false;
  sequence_->Start(std::move(steps));
}

std::string DtuModbusCache::StepLabel(int step) const {
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
  if (v == 1 && PollingOn()) {
    sequence_->Cancel();
    stored_switch_ = 0;
    model_.func_switch = 0;
    emit Changed();
    DtuMessageBox(DtuLangText(DtuTextId::kModbusPollingStillOn));
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
