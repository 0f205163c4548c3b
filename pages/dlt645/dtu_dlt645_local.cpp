// Save to Local and Read Local of the DL/T 645 page, on the [DLT645]
// section of the configuration file.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dlt645/dtu_dlt645_checks.h"
#include "pages/kit/dtu_page_store.h"

namespace {

constexpr DtuTextId kHeadAddr = DtuTextIdAt(DtuTextId::kDltHeadChannel, 1);
constexpr DtuTextId kHeadDiConfig = DtuTextIdAt(DtuTextId::kDltHeadChannel, 5);
constexpr DtuTextId kHeadTag = DtuTextIdAt(DtuTextId::kDltHeadParameters, 1);
constexpr DtuTextId kHeadDiItem = DtuTextIdAt(DtuTextId::kDltHeadParameters, 2);

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

// Texts longer than the file holds are refused, not cut.
bool MetersFit(const DtuDlt645Model &m) {
  for (int k = 1; k <= m.channel_count; ++k) {
    const DtuDlt645MeterRow &row = m.meters[k - 1];
    const std::string addr = DtuDlt645ChannelField(k, kHeadAddr);
    if (!DtuPageFitsCapacity(addr.c_str(), DtuDlt645Trim(row.addr), DtuConfig::kDlt645AddrMax)) return false;
    const std::string di = DtuDlt645ChannelField(k, kHeadDiConfig);
    for (const std::string &code : DtuDlt645SplitDiList(row.di_list)) {
      if (!DtuPageFitsCapacity(di.c_str(), code, DtuConfig::kDlt645DiMax)) return false;
    }
  }
  return true;
}

bool RuleFits(const DtuDlt645RuleRows &rule) {
  for (int p = 1; p <= kDlt645Params; ++p) {
    const DtuDlt645ParamRow &row = rule.params[p - 1];
    const std::string tag = DtuDlt645ParamField(p, kHeadTag);
    const std::string di = DtuDlt645ParamField(p, kHeadDiItem);
    if (!DtuPageFitsCapacity(tag.c_str(), DtuDlt645Trim(row.tag), DtuConfig::kDlt645TagMax) ||
        !DtuPageFitsCapacity(di.c_str(), DtuDlt645Trim(row.di), DtuConfig::kDlt645DiMax)) {
      return false;
    }
  }
  return true;
}

void StoreMeter(const DtuDlt645MeterRow &row, DtuConfig::Dlt645Channel &stored) {
  stored.addr = DtuDlt645Trim(row.addr);
  stored.preamble = std::atoi(row.preamble.c_str());
  stored.diNum = std::atoi(row.di_num.c_str());
  stored.cycle = std::atoi(row.cycle.c_str());
  const std::vector<std::string> codes = DtuDlt645SplitDiList(row.di_list);
  for (int j = 0; j < kDlt645DiCodes; ++j) {
    stored.di[j] = j < static_cast<int>(codes.size()) ? codes[j] : std::string();
  }
}

void StoreRule(const DtuDlt645RuleRows &rule, DtuConfig::Dlt645Rule &stored) {
  stored.rule = rule.rule;
  stored.paramCnt = rule.rule == 1 ? rule.param_count : 0;
  for (int p = 0; p < kDlt645Params; ++p) {
    const DtuDlt645ParamRow &row = rule.params[p];
    DtuConfig::Dlt645Param &param = stored.param[p];
    param.tag = DtuDlt645Trim(row.tag);
    param.di = DtuDlt645Trim(row.di);
    param.dataType = row.data_type;
    param.dataEndian = row.data_endian;
    param.dataRule = row.data_rule;
    param.rate = DtuDlt645RateToSend(row.rate);
  }
}

void LoadMeter(const DtuConfig::Dlt645Channel &stored, DtuDlt645MeterRow &row) {
  row.addr = stored.addr.str();
  row.preamble = std::to_string(stored.preamble);
  row.di_num = std::to_string(stored.diNum);
  row.cycle = std::to_string(stored.cycle);
  std::vector<std::string> codes;
  for (int j = 0; j < Clamp(stored.diNum, 0, kDlt645DiCodes); ++j) codes.push_back(stored.di[j].str());
  while (!codes.empty() && codes.back().empty()) codes.pop_back();
  row.di_list.clear();
  for (size_t j = 0; j < codes.size(); ++j) row.di_list += (j ? "," : "") + codes[j];
}

int ListIndex(int code, int count) { return code >= 0 && code < count ? code : 0; }

void LoadRule(const DtuConfig::Dlt645Rule &stored, DtuDlt645RuleRows &rule) {
  rule.rule = stored.rule == 1 ? 1 : 0;
  rule.param_count = Clamp(stored.paramCnt, 1, kDlt645Params);
  for (int p = 0; p < kDlt645Params; ++p) {
    const DtuConfig::Dlt645Param &param = stored.param[p];
    DtuDlt645ParamRow &row = rule.params[p];
    row.tag = param.tag.str();
    row.di = param.di.str();
    row.data_type = ListIndex(param.dataType, DtuDLT645::kDataTypeCount);
    row.data_endian = ListIndex(param.dataEndian, DtuDLT645::kEndianCount);
    row.data_rule = ListIndex(param.dataRule, DtuDLT645::kDataRuleCount);
    row.rate = std::to_string(param.rate < 1 ? 1 : param.rate);
  }
}

}  // namespace

// The meter channels 1..count, the rule of the configure channel on view
// and every rule the page read from the device or the file (a backup keeps
// every configure channel's rule); the file keeps what it holds for the
// other channels.
bool DtuDLT645::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const unsigned saved = rules_known_ | 1u << (model_.config_channel - 1);
  if (!MetersFit(model_)) return false;
  for (int c = 1; c <= kDlt645Channels; ++c) {
    if ((saved >> (c - 1) & 1u) != 0 && !RuleFits(model_.Rule(c))) return false;
  }
  DtuConfig::Dlt645Group &d = config.dlt645;
  d.funcSwitch = model_.switch_index == 0 ? 1 : 0;
  d.maxChannel = model_.channel_count;
  for (int k = 1; k <= model_.channel_count; ++k) StoreMeter(model_.meters[k - 1], d.channel[k - 1]);
  for (int c = 1; c <= kDlt645Channels; ++c) {
    if ((saved >> (c - 1) & 1u) != 0) StoreRule(model_.Rule(c), d.rule[c - 1]);
  }
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

// Every configure channel's rule comes back, so the rule on view matches
// the file whichever channel is chosen afterwards. They count as changed:
// the page's Set writes them all (apply).
bool DtuDLT645::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const DtuConfig::Dlt645Group &d = config.dlt645;
  model_.switch_index = d.funcSwitch == 1 ? 0 : 1;
  model_.channel_count = Clamp(d.maxChannel, 1, kDlt645Channels);
  for (int k = 1; k <= model_.channel_count; ++k) LoadMeter(d.channel[k - 1], model_.meters[k - 1]);
  for (int c = 1; c <= kDlt645Channels; ++c) LoadRule(d.rule[c - 1], model_.Rule(c));
  rules_known_ = (1u << kDlt645Channels) - 1u;
  rules_changed_ = rules_known_;
  emit Changed();
  DtuMessageBox(DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  return true;
}
