// Save to Local and Read Local of the Modbus cache page: section
// [MODBUS_CACHE] of the configuration file.
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/kit/dtu_page_store.h"

// Channels 1..count go into the file (the others keep what it has), and
// come back as far as the count read back reaches.
bool DtuModbusCache::OnBnClickedBtSaveLocal() {
  if (!Validate()) return false;
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  DtuStoreMadeFields(fields_, [this](const DtuMadeField &f) { return f.channel <= model_.channel_count; }, config);
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuModbusCache::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  DtuLoadMadeFields(fields_, [this](const DtuMadeField &f) { return f.channel <= model_.channel_count; }, config);
  stored_switch_ = model_.func_switch;
  emit Changed();
  DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  return true;
}
