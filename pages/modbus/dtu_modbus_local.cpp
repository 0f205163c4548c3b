// Save to Local and Read Local of the Modbus page: the polling parameters in
// [MODBUS], the rules in [DECODE] (the config channel's and every other the
// page holds; Read Local takes all six), each step on a fresh record of the
// whole file.
#include <algorithm>
#include <climits>
#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

int FileInt(const std::string &text) {
  return static_cast<int>(std::clamp<long long>(DtuTypedNumber(text), INT_MIN, INT_MAX));
}

}  // namespace

bool DtuModbus::SavePollingLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  auto &store = config.modbus;
  store.funcSwitch = model_.func_switch;
  store.maxChannel = model_.channel_count;
  for (int k = 0; k < model_.channel_count; ++k) {
    const DtuModbusChannelRow &row = model_.channels[k];
    store.channel[k] = {FileInt(row.slave), FileInt(row.function), FileInt(row.address), FileInt(row.count),
                        FileInt(row.cycle)};
  }
  if (config.SaveToFile(DtuPageConfigPath())) return true;
  DtuMessageBox(DtuLangText(DtuTextId::kModbusSaveFailed));
  return false;
}

bool DtuModbus::SaveRuleLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  // The config channel's rule as the page shows it, and every other rule
  // the page holds (read from the device or the file, or changed): a rule
  // never read keeps what the file has.
  for (int c = 1; c <= kModbusChannelCount; ++c) {
    if (c != model_.config_channel && !rule_held_[c - 1]) continue;
    const DtuModbusRule &rule = model_.rules[c - 1];
    auto &store = config.decode.rule[c - 1];
    store.rule = rule.rule;
    store.maxParamCnt = rule.param_count;
    for (int p = 0; p < rule.param_count; ++p) {
      const DtuModbusParamRow &row = rule.params[p];
      auto &param = store.param[p];
      if (row.tag.size() > static_cast<size_t>(DtuConfig::kDecodeTagMax)) {
        char text[512];
        std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kModbusTagSaveCut), c, p + 1,
                      static_cast<int>(row.tag.size()), static_cast<int>(DtuConfig::kDecodeTagMax));
        DtuMessageBox(text);
      }
      param.tag = row.tag.substr(0, DtuConfig::kDecodeTagMax);
      param.startOffset = FileInt(row.address);
      param.dataType = row.data_type;
      param.dataEndian = row.byte_order;
      param.dataRule = row.convert;
      param.rate = FileInt(row.multiplier);
    }
  }
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuModbus::OnBnClickedBtSaveLocal() {
  const bool polling = SavePollingLocal();
  const bool rule = SaveRuleLocal();
  return polling && rule;
}

bool DtuModbus::ReadPollingLocal() {
  DtuConfig config;
  if (!config.LoadFromFile(DtuPageConfigPath())) {
    DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalFailed));
    return false;
  }
  const auto &store = config.modbus;
  model_.func_switch = store.funcSwitch == 1 ? 1 : 0;
  const bool count_ok = store.maxChannel >= 1 && store.maxChannel <= kModbusChannelCount;
  model_.channel_count = count_ok ? store.maxChannel : 1;
  for (int k = 0; k < std::min(store.maxChannel, kModbusChannelCount); ++k) {
    const auto &ch = store.channel[k];
    model_.channels[k] = {std::to_string(ch.slave), std::to_string(ch.Function), std::to_string(ch.Addr),
                          std::to_string(ch.Len), std::to_string(ch.Cycle)};
  }
  return true;
}

bool DtuModbus::ReadRuleLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  // Every channel's rule: the config channel's is the one shown, the others
  // are what a whole-page Set writes.
  for (int c = 1; c <= kModbusChannelCount; ++c) {
    const auto &store = config.decode.rule[c - 1];
    DtuModbusRule &rule = model_.rules[c - 1];
    rule.rule = store.rule == 1 ? 1 : 0;
    const int count = store.maxParamCnt;
    rule.param_count = count == 0 ? 0 : (count < 0 || count > kModbusRuleParams) ? 1 : count;
    for (int p = 0; p < std::min(std::max(count, 0), kModbusRuleParams); ++p) {
      const auto &param = store.param[p];
      DtuModbusParamRow &row = rule.params[p];
      row.tag = param.tag.str();
      row.address = std::to_string(param.startOffset);
      row.multiplier = std::to_string(param.rate);
      row.data_type = param.dataType >= 0 && param.dataType < kDataTypes ? param.dataType : 0;
      row.byte_order = param.dataEndian >= 0 && param.dataEndian < kByteOrders ? param.dataEndian : 0;
      row.convert = param.dataRule >= 0 && param.dataRule < kConverts ? param.dataRule : 0;
    }
    rule_held_[c - 1] = true;
  }
  return true;
}

bool DtuModbus::OnBnClickedBtReadLocal() {
  const bool polling = ReadPollingLocal();
  const bool rule = ReadRuleLocal();
  emit Changed();
  // A step that failed has said so: success is reported only when both read.
  if (polling && rule) DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  return polling && rule;
}
