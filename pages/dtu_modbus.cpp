// The Modbus page: fields by name, the polling group's Read and Set, and its
// answer handlers. The forwarding rule group is in dtu_modbus_rule.cpp, the
// local file in dtu_modbus_local.cpp.
#include "pages/dtu_modbus.h"

#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_modbus_cache.h"
#include "pages/dtu_modbus_texts.h"
#include "pages/dtu_page_send.h"

namespace {

constexpr int kSwitchSettleMs = 1000;  // after the switch query, before waiting for its answer
constexpr int kAnswerTries = 1000;     // 1 ms each
constexpr int kPollingDrainTries = 5000;

std::string Format(int text_id, int a, int b = 0) {
  char text[512];
  std::snprintf(text, sizeof(text), DtuLangText(text_id), a, b);
  return text;
}

}  // namespace

DtuModbus::DtuModbus(QObject *parent) : DtuPage(parent) {
  BuildFields();
  DtuAttachPageAnswers({
      {"modbus-switch", &DtuPageAnswer<&DtuModbus::ModbusStatusSet>},
      {"modbus-channel", &DtuPageAnswer<&DtuModbus::ModbusChannelSet>},
      {"modbus-slave-cfg", &DtuPageAnswer<&DtuModbus::ModbusSlaveCfgSet>},
      {"modbus-slave-rule", &DtuPageAnswer<&DtuModbus::modbusDecodeRule>},
  });
}

DtuModbus::~DtuModbus() {
  worker_.Stop();  // the worker reads this page's atomics
}

DtuModbus *DtuModbus::Instance() { return DtuPageReference<DtuModbus>::Current(); }

std::vector<std::string> DtuModbus::SwitchItems() { return {DtuLangText(kTextOff), DtuLangText(kTextOn)}; }
std::vector<std::string> DtuModbus::RuleItems() { return {DtuLangText(kTextTransparent), DtuLangText(kTextParse)}; }
std::vector<std::string> DtuModbus::ByteOrderItems() { return {"ABCD", "DCBA", "BADC", "CDBA"}; }
std::vector<std::string> DtuModbus::ConvertItems() {
  return {DtuLangText(kTextNoScale), DtuLangText(kTextMultiply), DtuLangText(kTextDivide)};
}
std::vector<std::string> DtuModbus::DataTypeItems() {
  std::vector<std::string> items;
  for (int id = kTextInt8; id < kTextInt8 + kDataTypes - 1; ++id) items.push_back(DtuLangText(id));
  items.push_back(DtuLangText(kTextFloat32));
  return items;
}

void DtuModbus::BuildFields() {
  DtuModbusModel &m = model_;
  fields_ = {DtuListField("funcSwitch", &m.func_switch, 2), DtuListField("packetSplit", &m.packet_split, 2),
             DtuNumberField("maxChannel", &m.channel_count, 1, kModbusChannelCount)};
  for (int k = 1; k <= kModbusChannelCount; ++k) {
    DtuModbusChannelRow &row = m.channels[k - 1];
    const std::string n = std::to_string(k);
    for (auto [name, text] : {std::pair{"slave", &row.slave}, {"Function", &row.function},
                              {"Addr", &row.address}, {"Len", &row.count}, {"Cycle", &row.cycle}}) {
      fields_.push_back(DtuTextField(name + n, text));
    }
  }
  fields_.push_back(DtuNumberField("configChannel", &m.config_channel, 1, kModbusChannelCount));
  for (int c = 1; c <= kModbusChannelCount; ++c) {
    DtuModbusRule &rule = m.rules[c - 1];
    const std::string n = std::to_string(c);
    fields_.push_back(DtuListField("rule" + n, &rule.rule, 2));
    fields_.push_back(DtuNumberField("maxParamCnt" + n, &rule.param_count, 0, kModbusRuleParams));
    for (int p = 1; p <= kModbusRuleParams; ++p) {
      DtuModbusParamRow &row = rule.params[p - 1];
      const std::string np = n + std::to_string(p);
      fields_.push_back(DtuTextField("tag" + np, &row.tag));
      fields_.push_back(DtuTextField("startOffset" + np, &row.address));
      fields_.push_back(DtuListField("dataType" + np, &row.data_type, kDataTypes));
      fields_.push_back(DtuListField("dataEndian" + np, &row.byte_order, kByteOrders));
      fields_.push_back(DtuListField("dataRule" + np, &row.convert, kConverts));
      fields_.push_back(DtuTextField("rate" + np, &row.multiplier));
    }
  }
}

std::vector<DtuPageFieldInfo> DtuModbus::Fields() const { return DtuNamedFieldInfo(fields_); }

bool DtuModbus::GetField(const std::string &name, std::string &value) const {
  return DtuGetNamedField(fields_, name, value);
}

bool DtuModbus::SetField(const std::string &name, const std::string &value, std::string &error) {
  return DtuSetNamedField(fields_, name, value, error);
}

bool DtuModbus::CacheSwitchOn() const {
  const DtuModbusCache *cache = DtuModbusCache::Instance();
  return cache != nullptr && cache->StoredSwitch() == 1;
}

bool DtuModbus::ChooseFunctionSwitch(int on) {
  if (on == 1 && CacheSwitchOn()) {
    DtuMessageBox(DtuLangText(kTextCacheIsOn));
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

// ---- Polling Read ----

void DtuModbus::StartWorker(bool polling, bool rules, int rule_channel) {
  worker_.Start([this, polling, rules, rule_channel](DtuReadWorker &w) {
    if (polling) {
      PollingReadBody(w, rules);
    } else {
      RuleReadBody(w, rule_channel);
    }
  });
}

void DtuModbus::PollingReadBody(DtuReadWorker &w, bool then_rules) {
  switch_on_.store(0);
  // Untagged: this read goes on after the queue drains and ends by itself.
  DtuPageQueueLine("AT+ZEVCFG=get|modbus-switch\r\n");
  if (!w.Sleep(kSwitchSettleMs)) return;
  if (!w.WaitFor([this] { return switch_on_.load() == 1; }, kAnswerTries)) return;
  received_count_.store(0);
  DtuPageQueueLine("AT+ZEVCFG=get|modbus-channel\r\n");
  if (!w.WaitFor([this] { return received_count_.load() != 0; }, kAnswerTries)) return;
  int k = 1;
  for (; k <= received_count_.load() && !w.StopRequested(); ++k) {
    const std::string line = "AT+ZEVCFG=get|modbus-slave-cfg|" + DtuModbusChannelArgument(k) + "\r\n";
    awaiting_channel_.store(k);
    DtuPageQueueLine(line);
    DTU_LOG("发送查询通道%d指令：%s", k, line.c_str());
  }
  if (!then_rules) return;
  // The rules' answers come behind the channel answers: let those in first.
  if (!w.WaitFor([this] { return awaiting_channel_.load() == 0; }, kPollingDrainTries)) return;
  for (int c = 1; c < k && !w.StopRequested(); ++c) RuleReadBody(w, c);
}

bool DtuModbus::OnBnClickedBtModbusGet() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusChannelRow &row : model_.channels) row = DtuModbusChannelRow();
  emit Changed();
  StartWorker(true, false, 0);
  return true;
}

bool DtuModbus::Read() {
  if (!DtuPagePortOpen()) return false;
  for (DtuModbusChannelRow &row : model_.channels) row = DtuModbusChannelRow();
  emit Changed();
  StartWorker(true, true, 0);
  return true;
}

bool DtuModbus::ReadPending() const { return worker_.Running() || awaiting_channel_.load() != 0; }

bool DtuModbus::SetPending() const {
  return pending_.load() != PendingSet::kNone || chained_rule_channel_ != 0;
}

// ---- Polling Set ----

bool DtuModbus::ValidatePollingChannel(int k, DtuModbusSlaveCfg &cfg) {
  const DtuModbusChannelRow &row = model_.channels[k - 1];
  cfg = {k, DtuModbusNumber(row.slave), DtuModbusNumber(row.function), DtuModbusNumber(row.address),
         DtuModbusNumber(row.count), DtuModbusNumber(row.cycle)};
  int refused = 0;
  if (cfg.slave < 1 || cfg.slave > 247) refused = kTextSlaveRange;
  else if (cfg.function < 1 || cfg.function > 15) refused = kTextFunctionRange;
  else if (cfg.address < 0) refused = kTextAddressNegative;
  else if (cfg.count < 1) refused = kTextCountRange;
  else if (cfg.cycle < 1 || cfg.cycle > 3600) refused = kTextCycleRange;
  if (refused != 0) {
    DtuMessageBox(Format(refused, k));
    return false;
  }
  // The device reads fixed widths: a value that needs more digits would be
  // cut and read as another number.
  struct Width {
    long long value;
    int label;
    int width;
  };
  for (const Width &w : {Width{cfg.address, kTextRegisterAddress, kModbusAddressWidth},
                         Width{cfg.count, kTextRegisterCount, kModbusCountWidth}}) {
    if (DtuModbusFitsWidth(w.value, w.width)) continue;
    char text[512];
    std::snprintf(text, sizeof(text), DtuLangText(kTextChannelWidth), k, DtuLangText(w.label), w.width,
                  static_cast<int>(DtuModbusWidthMax(w.width)));
    DtuMessageBox(text);
    return false;
  }
  SetWindow(k, cfg.address, cfg.count);
  return true;
}

bool DtuModbus::OnBnClickedBtModbusSet() {
  if (!DtuPagePortOpen()) return false;
  const int f = model_.func_switch, s = model_.packet_split, n = model_.channel_count;
  if (f == 1 && CacheSwitchOn()) {
    DtuMessageBox(DtuLangText(kTextCacheIsOn));
    return false;
  }
  std::vector<std::string> payloads;
  if (f == 1) {
    for (int k = 1; k <= n; ++k) {
      DtuModbusSlaveCfg cfg;
      if (!ValidatePollingChannel(k, cfg)) return false;
      payloads.push_back(*DtuModbusBuildSlaveCfg(cfg));
    }
  }
  expected_last_channel_ = n;
  DtuPageQueueLine("AT+ZEVCFG=set|modbus-switch|" + std::to_string(s * 2 + f) + "\r\n");
  if (f == 1) {
    DtuPageQueueLine("AT+ZEVCFG=set|modbus-channel|" + std::to_string(n) + "\r\n");
    for (int k = 1; k <= n; ++k) {
      const std::string line = "AT+ZEVCFG=set|modbus-slave-cfg|" + payloads[k - 1] + "\r\n";
      DtuPageQueueLine(line);
      DTU_LOG("发送通道%d配置指令：%s", k, line.c_str());
    }
  }
  pending_.store(f == 1 ? PendingSet::kPollingOn : PendingSet::kPollingOff);
  return true;
}

bool DtuModbus::Set() {
  chained_rule_channel_ = 0;
  if (!DtuPagePortOpen()) return false;
  const bool on = model_.func_switch == 1;
  // Every channel and every rule is checked before anything is written; the
  // rules then go out one channel at a time as the device confirms each.
  for (int k = 1; on && k <= model_.channel_count; ++k) {
    DtuModbusSlaveCfg cfg;
    if (!ValidatePollingChannel(k, cfg)) return false;
  }
  for (int c = 1; on && c <= model_.channel_count; ++c) {
    if (!RuleSet(c, false)) return false;
  }
  if (!OnBnClickedBtModbusSet()) return false;
  if (on) {
    chained_rule_channel_ = 1;
    chained_last_channel_ = model_.channel_count;
  }
  return true;
}

void DtuModbus::ContinueChainedSet() {
  if (chained_rule_channel_ == 0) return;
  const int channel = chained_rule_channel_;
  chained_rule_channel_ = channel < chained_last_channel_ ? channel + 1 : 0;
  if (!RuleSet(channel, true)) chained_rule_channel_ = 0;
}

// ---- Polling answers ----

void DtuModbus::OnStatus(const char *value) {
  DTU_LOG("status : %s", value);
  const long long v = DtuModbusNumber(value);
  model_.packet_split = (v & 2) ? 1 : 0;
  if (v & 1) {
    switch_on_.store(1);
    model_.func_switch = 1;
    emit Changed();
    return;
  }
  switch_on_.store(0);
  model_.func_switch = 0;
  emit Changed();
  // Only a Set that switched the polling off is confirmed by this answer.
  PendingSet off = PendingSet::kPollingOff;
  if (pending_.compare_exchange_strong(off, PendingSet::kNone)) {
    DtuMessageBox(DtuLangText(kTextModbusDisabled));
    emit SetConfirmed();
  }
}

void DtuModbus::OnChannel(const char *value) {
  DTU_LOG("count : %s", value);
  if (value[0] < '1' || value[0] > '6') return;
  model_.channel_count = value[0] - '0';
  received_count_.store(model_.channel_count);
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
  DTU_LOG("开始解析Modbus配置字符串：%s", DtuModbusTrim(value).c_str());
  model_.channels[a.channel - 1] = {a.slave, a.function, a.address, a.count, a.cycle};
  SetWindow(a.channel, DtuModbusNumber(a.address), DtuModbusNumber(a.count));
  DTU_LOG("解析通道%d配置成功：从站地址=%s, 功能码=%s, 寄存器地址=%s, 数据长度=%s, 周期=%s", a.channel,
          a.slave.c_str(), a.function.c_str(), a.address.c_str(), a.count.c_str(), a.cycle.c_str());
  int awaited = a.channel;
  awaiting_channel_.compare_exchange_strong(awaited, 0);
  emit Changed();
  PendingSet on = PendingSet::kPollingOn;
  if (a.channel == expected_last_channel_ && pending_.compare_exchange_strong(on, PendingSet::kNone)) {
    DtuMessageBox(DtuLangText(kTextPollingConfigured));
    emit SetConfirmed();
    ContinueChainedSet();
  }
}

void DtuModbus::ModbusStatusSet(const char *value, int) {
  OnStatus(value);
}

void DtuModbus::ModbusChannelSet(const char *value, int) {
  OnChannel(value);
}

void DtuModbus::ModbusSlaveCfgSet(const char *value, int) {
  OnSlaveCfg(value);
}

void DtuModbus::modbusDecodeRule(const char *value, int) {
  OnRule(value);
}
