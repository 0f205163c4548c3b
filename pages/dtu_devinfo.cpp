#include "pages/dtu_devinfo.h"

#include <cstdlib>
#include <cstring>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_send.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"
#include "pages/dtu_remote_cfg_info.h"

namespace {

// The file keeps the server up to this many characters.
constexpr const char *kServerField = "RemoteCfgServer";

int IndexOr(int value, int count, int fallback) { return value >= 0 && value < count ? value : fallback; }

}  // namespace

const char *const DtuDevinfo::kSwitchItems[kSwitchCount] = {"OFF", "ON"};
const char *const DtuDevinfo::kLogLevelItems[kLogLevelCount] = {"DEBUG", "WARN", "INFO", "ERROR"};

DtuDevinfo::DtuDevinfo(QObject *parent) : DtuBoundPage(parent) {
  DtuAttachPageAnswers({
      {"version", &DtuPageAnswer<&DtuDevinfo::DevinfoVersionSet>},
      {"imei", &DtuPageAnswer<&DtuDevinfo::DevinfoImeiSet>},
      {"imsi", &DtuPageAnswer<&DtuDevinfo::DevinfoImsiSet>},
      {"iccid", &DtuPageAnswer<&DtuDevinfo::DevinfoIccidSet>},
      {"remoteCfgInfo", &DtuPageAnswer<&DtuDevinfo::DevinfoRemoteCfgInfoSet>},
      {"logLevel", &DtuPageAnswer<&DtuDevinfo::DevinfoLogLevelSet>},
      {"watchdog-switch", &DtuPageAnswer<&DtuDevinfo::DevinfoWatchdogSet>},
  });
  OnInitDialog();
}

DtuDevinfo::~DtuDevinfo() = default;

DtuDevinfo *DtuDevinfo::Instance() { return DtuPageReference<DtuDevinfo>::Current(); }

void DtuDevinfo::OnInitDialog() { DTU_LOG("total : %d", kSwitchCount); }

bool DtuDevinfo::OnBnClickedBtRead() {
  if (!DtuPagePortOpen()) return false;
  QueueRead({DtuPageGetLine("version", "Version"), DtuPageGetLine("imei", "IMEI"), DtuPageGetLine("imsi", "IMSI"),
             DtuPageGetLine("iccid", "ICCID"),
             DtuPageGetLine("remoteCfgInfo", "RemoteCfgSwitch/RemoteCfgServer/RemoteCfgPort"),
             DtuPageGetLine("logLevel", "LogLevel"), DtuPageGetLine("watchdog-switch", "WatchDogSwitch")});
  for (auto field : {&DtuDevinfoModel::version, &DtuDevinfoModel::imei, &DtuDevinfoModel::imsi,
                     &DtuDevinfoModel::iccid, &DtuDevinfoModel::remote_server, &DtuDevinfoModel::remote_port}) {
    (model_.*field).clear();
  }
  emit Changed();
  return true;
}

bool DtuDevinfo::OnBnClickedBtSet() {
  if (!DtuPagePortOpen()) return false;
  DtuSetLines lines;
  int port = std::atoi(model_.remote_port.c_str());
  lines.Add(kServerField, "remoteCfgInfo",
            DtuRemoteCfgInfoFormat(model_.remote_switch, port, model_.remote_server));
  lines.Add("WatchDogSwitch", "watchdog-switch", std::to_string(model_.watchdog));
  lines.Add("LogLevel", "logLevel", std::to_string(model_.log_level));
  if (!lines.Fit()) return false;
  QueueSet(lines);
  return true;
}

bool DtuDevinfo::OnBnClickedBtReboot() {
  if (!DtuPagePortOpen()) return false;
  DtuPageQueueLine("AT+ZEVCFG=set|reboot\r\n");
  DtuMessageBox(DtuLangText(DtuTextId::kRebootSent));
  return true;
}

bool DtuDevinfo::OnBnClickedBtReset() {
  if (!DtuPagePortOpen()) return false;
  DtuPageQueueLine("AT+ZEVCFG=set|reload\r\n");
  DtuMessageBox(DtuLangText(DtuTextId::kResetSent));
  return true;
}

bool DtuDevinfo::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  auto &info = config.deviceInfo;
  if (!DtuPageFitsCapacity(kServerField, model_.remote_server, info.remoteCfgServer.kCapacity)) return false;
  info.remoteCfgFlag = model_.remote_switch;
  info.remoteCfgServer = model_.remote_server;
  info.remoteCfgPort = std::atoi(model_.remote_port.c_str());
  info.logLevel = model_.log_level;
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuDevinfo::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const auto &info = config.deviceInfo;
  model_.remote_switch = IndexOr(info.remoteCfgFlag, kSwitchCount, 0);
  model_.remote_server = info.remoteCfgServer.str();
  model_.remote_port = std::to_string(info.remoteCfgPort);
  model_.log_level = IndexOr(info.logLevel, kLogLevelCount, 2);
  emit Changed();
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

void DtuDevinfo::SetIdentity(std::string DtuDevinfoModel::*field, const char *value) {
  model_.*field = value;
  emit Changed();
}

void DtuDevinfo::DevinfoVersionSet(const char *value, int) {
  DTU_LOG("version : %s", value);
  SetIdentity(&DtuDevinfoModel::version, value);
}

void DtuDevinfo::DevinfoImeiSet(const char *value, int) {
  DTU_LOG("imei : %s", value);
  SetIdentity(&DtuDevinfoModel::imei, value);
}

void DtuDevinfo::DevinfoImsiSet(const char *value, int) {
  DTU_LOG("imsi : %s", value);
  SetIdentity(&DtuDevinfoModel::imsi, value);
}

void DtuDevinfo::DevinfoIccidSet(const char *value, int) {
  DTU_LOG("iccid : %s", value);
  SetIdentity(&DtuDevinfoModel::iccid, value);
}

void DtuDevinfo::DevinfoRemoteCfgInfoSet(const char *value, int) {
  DTU_LOG("len : %d, cfg : %s.", static_cast<int>(std::strlen(value)), value);
  DtuRemoteCfgInfo info = DtuRemoteCfgInfoParse(value);
  DTU_LOG("port : %d", info.port);
  model_.remote_switch = info.switch_index;
  model_.remote_port = std::to_string(info.port);
  model_.remote_server = info.server;
  emit Changed();
}

void DtuDevinfo::DevinfoLogLevelSet(const char *value, int) {
  model_.log_level = IndexOr(std::atoi(value), kLogLevelCount, 2);
  emit Changed();
  ConfirmSet(DtuTextId::kConfigSucceeded);
}

void DtuDevinfo::DevinfoWatchdogSet(const char *value, int) {
  model_.watchdog = IndexOr(std::atoi(value), kSwitchCount, 1);
  emit Changed();
  FinishRead();
}

const std::vector<DtuFieldBinding<DtuDevinfoModel>> &DtuDevinfo::Bindings() const {
  using M = DtuDevinfoModel;
  static const std::vector<DtuFieldBinding<M>> table = {
      {"Version", &M::version, nullptr, 0},
      {"IMEI", &M::imei, nullptr, 0},
      {"ICCID", &M::iccid, nullptr, 0},
      {"IMSI", &M::imsi, nullptr, 0},
      {"RemoteCfgSwitch", nullptr, &M::remote_switch, kSwitchCount},
      {"RemoteCfgServer", &M::remote_server, nullptr, 0},
      {"RemoteCfgPort", &M::remote_port, nullptr, 0},
      {"LogLevel", nullptr, &M::log_level, kLogLevelCount},
      {"WatchDogSwitch", nullptr, &M::watchdog, kSwitchCount},
  };
  return table;
}
