#include "pages/settings/dtu_devinfo.h"

#include <cstdlib>
#include <cstring>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_page_send.h"
#include "base/dtu_text_id.h"
#include "pages/settings/dtu_remote_cfg_info.h"

namespace {

// The field the remote configuration's set line is named by.
constexpr const char *kServerField = "RemoteCfgServer";

std::vector<std::string> SwitchItems() {
  return {DtuDevinfo::kSwitchItems, DtuDevinfo::kSwitchItems + DtuDevinfo::kSwitchCount};
}
std::vector<std::string> LogLevelItems() {
  return {DtuDevinfo::kLogLevelItems, DtuDevinfo::kLogLevelItems + DtuDevinfo::kLogLevelCount};
}

int IndexOr(int value, int count, int fallback) { return value >= 0 && value < count ? value : fallback; }

// Stored values outside the lists read back as OFF and INFO.
std::string StoredSwitch(const std::string &stored) {
  return std::to_string(IndexOr(std::atoi(stored.c_str()), DtuDevinfo::kSwitchCount, 0));
}
std::string StoredLogLevel(const std::string &stored) {
  return std::to_string(IndexOr(std::atoi(stored.c_str()), DtuDevinfo::kLogLevelCount, 2));
}

}  // namespace

const char *const DtuDevinfo::kSwitchItems[kSwitchCount] = {"OFF", "ON"};
const char *const DtuDevinfo::kLogLevelItems[kLogLevelCount] = {"DEBUG", "WARN", "INFO", "ERROR"};

DtuDevinfo::DtuDevinfo(QObject *parent) : DtuBoundPage(parent) {
  // The remote configuration's key carries three fields; no single field owns it.
  AttachFieldAnswers({{"remoteCfgInfo", &DtuPageAnswer<&DtuDevinfo::DevinfoRemoteCfgInfoSet>}});
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
  if (!TypedValuesUsable()) return false;
  DtuSetLines lines;
  int port = std::atoi(model_.remote_port.c_str());
  lines.Add(kServerField, "remoteCfgInfo",
            DtuRemoteCfgInfoFormat(model_.remote_switch, port, model_.remote_server));
  lines.Add("WatchDogSwitch", "watchdog-switch", std::to_string(model_.watchdog));
  lines.Add("LogLevel", "logLevel", std::to_string(model_.log_level));
  if (!lines.Fit()) return false;
  QueueSet(lines, DtuTextId::kConfigSucceeded);
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
  using G = DtuConfig::DeviceInfoGroup;
  using F = DtuFileGroup<&DtuConfig::deviceInfo>;
  // Read and Set are the page's own: the remote configuration is one device
  // key for three fields, and the identity is only read. The keys here name
  // the answers each field takes.
  static const std::vector<DtuFieldBinding<M>> table = {
      {DtuTextFieldDef("Version", "version").AnsweredBy<&DtuDevinfo::DevinfoVersionSet>(), &M::version, nullptr},
      {DtuTextFieldDef("IMEI", "imei").AnsweredBy<&DtuDevinfo::DevinfoImeiSet>(), &M::imei, nullptr},
      {DtuTextFieldDef("ICCID", "iccid").AnsweredBy<&DtuDevinfo::DevinfoIccidSet>(), &M::iccid, nullptr},
      {DtuTextFieldDef("IMSI", "imsi").AnsweredBy<&DtuDevinfo::DevinfoImsiSet>(), &M::imsi, nullptr},
      {DtuListFieldDef("RemoteCfgSwitch", nullptr, kSwitchCount)
           .Listing(&SwitchItems)
           .StoredIn(F::Slot<&G::remoteCfgFlag>())
           .WithCodec({nullptr, nullptr, &StoredSwitch}),
       nullptr, &M::remote_switch},
      {DtuTextFieldDef(kServerField, nullptr).StoredIn(F::Slot<&G::remoteCfgServer>()), &M::remote_server, nullptr},
      {DtuNumberFieldDef("RemoteCfgPort", nullptr).StoredIn(F::Slot<&G::remoteCfgPort>()), &M::remote_port, nullptr},
      {DtuListFieldDef("LogLevel", "logLevel", kLogLevelCount)
           .Labelled(DtuTextId::kDevinfoLogLevel)
           .Listing(&LogLevelItems)
           .AnsweredBy<&DtuDevinfo::DevinfoLogLevelSet>()
           .StoredIn(F::Slot<&G::logLevel>())
           .WithCodec({nullptr, nullptr, &StoredLogLevel}),
       nullptr, &M::log_level},
      {DtuListFieldDef("WatchDogSwitch", "watchdog-switch", kSwitchCount)
           .Listing(&SwitchItems)
           .AnsweredBy<&DtuDevinfo::DevinfoWatchdogSet>(),
       nullptr, &M::watchdog},
  };
  return table;
}
