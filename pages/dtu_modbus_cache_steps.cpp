// The step sequences of the Modbus cache page. Read: switch, channel count,
// then each channel. Set: proxy off, each channel, channel count, target
// switch. Every step restarts the step timer; an answer that matches (or,
// while setting, a bare OK) advances once per command.
#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "pages/dtu_modbus_cache.h"
#include "pages/dtu_modbus_payload.h"
#include "pages/dtu_modbus_texts.h"
#include "pages/dtu_page_send.h"

namespace {

std::string Line(const char *verb, const char *key, const std::string &payload) {
  return std::string("AT+ZEVCFG=") + verb + "|" + key + "|" + payload + "\r\n";
}

std::string ChannelLabel(int channel) {
  char text[128];
  std::snprintf(text, sizeof(text), DtuLangText(kTextCacheChannelConfig), channel);
  return text;
}

// A switch or count answer as a number, or -1 when it is not all digits.
int SmallNumber(const std::string &value) {
  return DtuModbusAllDigits(value) && value.size() <= 2 ? static_cast<int>(DtuModbusNumber(value)) : -1;
}

}  // namespace

bool DtuModbusCache::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  timer_.stop();
  for (DtuModbusCacheRow &row : model_.rows) {
    row = DtuModbusCacheRow();
    row.function = 1;
  }
  emit Changed();
  count_ = model_.channel_count;
  Start(kReading);
  return true;
}

bool DtuModbusCache::OnBnClickedBtSet() {
  if (!Validate()) return false;
  if (!DtuPagePortOpen()) return false;
  if (model_.func_switch == 1 && PollingOn()) {
    DtuMessageBox(DtuLangText(kTextPollingIsOn));
    return false;
  }
  timer_.stop();
  target_switch_ = model_.func_switch;
  count_ = model_.channel_count;
  Start(kSetting);
  return true;
}

void DtuModbusCache::Start(Operation operation) {
  operation_ = operation;
  step_ = 0;
  failed_ = false;
  line_answered_ = false;
  SendStep();
}

std::string DtuModbusCache::StepLabel() const {
  if (operation_ == kReading) {
    if (step_ == 0) return DtuLangText(kTextFunctionSwitch);
    if (step_ == 1) return DtuLangText(kTextCacheChannelCount);
    return ChannelLabel(step_ - 1);
  }
  if (step_ == 0 || step_ == count_ + 2) return DtuLangText(kTextFunctionSwitch);
  if (step_ == count_ + 1) return DtuLangText(kTextCacheChannelCount);
  return ChannelLabel(step_);
}

void DtuModbusCache::SendStep() {
  std::string line;
  if (operation_ == kReading) {
    if (step_ == 0) line = "AT+ZEVCFG=get|modbus-cache-switch\r\n";
    else if (step_ == 1) line = "AT+ZEVCFG=get|modbus-cache-channel\r\n";
    else if (step_ <= count_ + 1) line = Line("get", "modbus-cache-slave-cfg", std::to_string(step_ - 1));
  } else if (operation_ == kSetting) {
    if (step_ == 0) line = Line("set", "modbus-cache-switch", "0");
    else if (step_ <= count_) line = Line("set", "modbus-cache-slave-cfg", *DtuModbusBuildCacheChannel(RowChannel(step_)));
    else if (step_ == count_ + 1) line = Line("set", "modbus-cache-channel", std::to_string(count_));
    else if (step_ == count_ + 2) line = Line("set", "modbus-cache-switch", std::to_string(target_switch_));
  }
  if (line.empty()) {
    Finish();
    return;
  }
  timer_.start();
  DtuPageQueueLine(line);
}

void DtuModbusCache::Advance() {
  timer_.stop();
  ++step_;
  SendStep();
}

void DtuModbusCache::AdvanceOnLine() {
  Advance();
  line_answered_ = true;
}

void DtuModbusCache::Finish() {
  timer_.stop();
  const bool was_setting = operation_ == kSetting;
  operation_ = kIdle;
  emit Changed();
  if (!was_setting) {
    emit ReadFinished();
    return;
  }
  stored_switch_ = target_switch_;
  DtuMessageBox(DtuLangText(kTextCacheConfigured));
  emit SetConfirmed();
}

void DtuModbusCache::Fail(int text_id) {
  timer_.stop();
  const std::string label = StepLabel();
  operation_ = kIdle;
  failed_ = true;
  DTU_LOG("step %d failed : %s", step_, label.c_str());
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), label.c_str());
  DtuMessageBox(text);
  emit Changed();
}

// ---- Answers ----

void DtuModbusCache::OnSwitch(const char *raw) {
  line_answered_ = false;  // this device sends its OK with the line
  const int v = SmallNumber(DtuModbusCacheAnswerValue(raw));
  if (v != 0 && v != 1) {
    if (operation_ != kIdle) Fail(kTextCacheBadAnswer);
    return;
  }
  if (operation_ == kSetting && (step_ == 0 || step_ == count_ + 2)) {
    const int expected = step_ == 0 ? 0 : target_switch_;
    if (v != expected) return Fail(kTextCacheBadAnswer);
    AdvanceOnLine();
    return;
  }
  if (v == 1 && PollingOn()) {
    timer_.stop();
    operation_ = kIdle;
    stored_switch_ = 0;
    model_.func_switch = 0;
    emit Changed();
    DtuMessageBox(DtuLangText(kTextPollingIsOn));
    return;
  }
  stored_switch_ = v;
  model_.func_switch = v;
  emit Changed();
  if (operation_ == kReading && step_ == 0) Advance();
}

void DtuModbusCache::OnChannelCount(const char *raw) {
  line_answered_ = false;  // this device sends its OK with the line
  const int v = SmallNumber(DtuModbusCacheAnswerValue(raw));
  if (v < 1 || v > kModbusCacheChannels) {
    if (operation_ != kIdle) Fail(kTextCacheBadAnswer);
    return;
  }
  if (operation_ == kSetting && step_ == count_ + 1) {
    if (v != count_) return Fail(kTextCacheBadAnswer);
    AdvanceOnLine();
    return;
  }
  model_.channel_count = v;
  emit Changed();
  if (operation_ == kReading && step_ == 1) {
    count_ = v;
    Advance();
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
  line_answered_ = false;  // this device sends its OK with the line
  const std::string value = DtuModbusCacheAnswerValue(raw);
  const auto channel = DtuModbusParseCacheChannel(value);
  if (!channel) {
    if (operation_ != kIdle) Fail(kTextCacheBadAnswer);
    return;
  }
  if (operation_ == kSetting) {
    // Only a channel step expects this key, and only for its own channel.
    const bool expected = step_ >= 1 && step_ <= count_ && channel->channel == step_;
    if (!expected || value != *DtuModbusBuildCacheChannel(RowChannel(step_))) return Fail(kTextCacheBadAnswer);
    AdvanceOnLine();
    return;
  }
  const bool reading_channel = operation_ == kReading && step_ >= 2;
  if (reading_channel && channel->channel != step_ - 1) return Fail(kTextCacheBadAnswer);
  if (!DtuModbusCacheChannelValid(*channel)) {
    if (operation_ != kIdle) Fail(kTextCacheBadAnswer);
    return;
  }
  ApplyChannel(*channel);
  if (reading_channel) Advance();
}

void DtuModbusCache::OnAcknowledge() {
  if (operation_ != kSetting) return;
  if (line_answered_) {
    // The OK of a command whose answer line already advanced the step.
    line_answered_ = false;
    return;
  }
  Advance();
}

void DtuModbusCache::OnDeviceError() {
  if (operation_ != kIdle) Fail(kTextCacheFailed);
}
