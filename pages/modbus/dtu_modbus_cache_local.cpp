// Save to Local and Read Local of the Modbus cache page: section
// [MODBUS_CACHE] of the configuration file.
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/modbus/dtu_modbus_payload.h"
#include "pages/kit/dtu_page_store.h"

bool DtuModbusCache::OnBnClickedBtSaveLocal() {
  if (!Validate()) return false;
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  auto &store = config.modbusCache;
  store.funcSwitch = model_.func_switch;
  store.maxChannel = model_.channel_count;
  for (int k = 1; k <= model_.channel_count; ++k) {
    const DtuModbusCacheChannel c = RowChannel(k);  // validated: every value fits an int
    store.channel[k - 1] = {static_cast<int>(c.slave), c.function, static_cast<int>(c.start),
                            static_cast<int>(c.quantity), static_cast<int>(c.cycle)};
  }
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuModbusCache::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const auto &store = config.modbusCache;
  model_.func_switch = store.funcSwitch == 1 ? 1 : 0;
  stored_switch_ = model_.func_switch;
  const int count = store.maxChannel;
  model_.channel_count = count >= 1 && count <= kModbusCacheChannels ? count : 1;
  for (int k = 0; k < model_.channel_count; ++k) {
    const auto &ch = store.channel[k];
    DtuModbusCacheRow &row = model_.rows[k];
    row.slave = std::to_string(ch.slave);
    row.function = ch.Function >= 1 && ch.Function <= 4 ? ch.Function : row.function;
    row.start = std::to_string(ch.Addr);
    row.quantity = std::to_string(ch.Len);
    row.cycle = std::to_string(ch.Cycle);
  }
  emit Changed();
  DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  return true;
}
