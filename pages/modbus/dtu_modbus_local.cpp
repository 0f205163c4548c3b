// Save to Local and Read Local of the Modbus page: the polling parameters in
// [MODBUS], the rules in [DECODE] (the config channel's and every other the
// page holds; Read Local takes all six), each step on a fresh record of the
// whole file.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/kit/dtu_page_store.h"

namespace {

bool In(const DtuMadeField &field, const char *section) {
  return field.section != nullptr && std::strcmp(field.section, section) == 0;
}

}  // namespace

bool DtuModbus::SavePollingLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  DtuStoreMadeFields(fields_, [this](const DtuMadeField &f) {
    return In(f, kPollingSection) && f.channel <= model_.channel_count;
  }, config);
  if (config.SaveToFile(DtuPageConfigPath())) return true;
  DtuMessageBox(DtuLangText(DtuTextId::kModbusSaveFailed));
  return false;
}

// The config channel's rule as the page shows it, and every other rule the
// page holds (read from the device or the file, or changed): a rule never
// read keeps what the file has.
bool DtuModbus::RuleSaved(int channel) const { return channel == model_.config_channel || rule_held_[channel - 1]; }

// A tag longer than the file holds is cut, and the cut is told.
void DtuModbus::TellTagsCut() const {
  for (int c = 1; c <= kModbusChannelCount; ++c) {
    if (!RuleSaved(c)) continue;
    const DtuModbusRule &rule = model_.rules[c - 1];
    for (int p = 0; p < rule.param_count; ++p) {
      const std::string &tag = rule.params[p].tag;
      if (tag.size() <= static_cast<size_t>(DtuConfig::kDecodeTagMax)) continue;
      char text[512];
      std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kModbusTagSaveCut), c, p + 1,
                    static_cast<int>(tag.size()), static_cast<int>(DtuConfig::kDecodeTagMax));
      DtuMessageBox(text);
    }
  }
}

bool DtuModbus::SaveRuleLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  TellTagsCut();
  DtuStoreMadeFields(fields_, [this](const DtuMadeField &f) {
    return In(f, kRuleSection) && RuleSaved(f.channel) && f.param <= model_.rules[f.channel - 1].param_count;
  }, config);
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
  // The channels the file counts, even where the count itself is unusable.
  const int stored = std::clamp(config.modbus.maxChannel, 0, kModbusChannelCount);
  DtuLoadMadeFields(fields_, [stored](const DtuMadeField &f) {
    return In(f, kPollingSection) && f.channel <= stored;
  }, config);
  return true;
}

// Every channel's rule: the config channel's is the one shown, the others
// are what a whole-page Set writes.
bool DtuModbus::ReadRuleLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  DtuLoadMadeFields(fields_, [](const DtuMadeField &f) { return In(f, kRuleSection); }, config);
  for (bool &held : rule_held_) held = true;
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
