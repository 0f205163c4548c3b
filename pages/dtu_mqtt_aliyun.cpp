#include "pages/dtu_mqtt_aliyun.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

namespace {

DtuMqttAliyun *g_aliyun = nullptr;

std::vector<DtuTextFieldDef> AliyunFields() {
  return {{"Server", "aly-mqtt-addr"},
          {"Port", "aly-mqtt-port"},
          {"Keepalive", "aly-mqtt-keepalive"},
          {"InstanceID", "aly-mqtt-instanceID"},
          {"ProductKey", "aly-mqtt-productkey"},
          {"ProductSecret", "aly-mqtt-productsecret"},
          {"DeviceName", "aly-mqtt-devicename"},
          {"DeviceSecret", "aly-mqtt-devicesecret"},
          {"SubTopic", "aly-mqtt-subtopic"},
          {"PubTopic", "aly-mqtt-pubtopic"}};
}

}  // namespace

DtuMqttAliyun::DtuMqttAliyun(QObject *parent) : DtuTextFieldsPage(AliyunFields(), kPubTopic, parent) {
  g_aliyun = this;
  // The device writes some keys with capitals ("aly-mqtt-productKey"); one
  // handler takes every spelling.
  DtuCmdAttachHandler("aly-mqtt-addr", &DtuMqttAliyun::DtuMqttAliyunAddrSet);
  DtuCmdAttachHandler("aly-mqtt-port", &DtuMqttAliyun::DtuMqttAliyunPortSet);
  DtuCmdAttachHandler("aly-mqtt-keepalive", &DtuMqttAliyun::DtuMqttAliyunKeepaliveSet);
  DtuCmdAttachHandler("aly-mqtt-instanceID", &DtuMqttAliyun::DtuMqttAliyunInstanceID);
  DtuCmdAttachHandler("aly-mqtt-productkey", &DtuMqttAliyun::DtuMqttAliyunProductKeySet);
  DtuCmdAttachHandler("aly-mqtt-productsecret", &DtuMqttAliyun::DtuMqttAliyunProducSecretSet);
  DtuCmdAttachHandler("aly-mqtt-devicename", &DtuMqttAliyun::DtuMqttAliyunDeviceNameSet);
  DtuCmdAttachHandler("aly-mqtt-devicesecret", &DtuMqttAliyun::DtuMqttAliyunDeviceSecretSet);
  DtuCmdAttachHandler("aly-mqtt-subtopic", &DtuMqttAliyun::DtuMqttAliyunSubTopicSet);
  DtuCmdAttachHandler("aly-mqtt-pubtopic", &DtuMqttAliyun::DtuMqttAliyunPubTopicSet);
}

DtuMqttAliyun::~DtuMqttAliyun() {
  if (g_aliyun == this) g_aliyun = nullptr;
}

DtuMqttAliyun *DtuMqttAliyun::Instance() { return g_aliyun; }

bool DtuMqttAliyun::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  DtuConfig::AliyunGroup &a = config.aliyun;
  if (!FitCapacity(kServer, a.Server.kCapacity) || !FitCapacity(kInstanceId, a.InstanceID.kCapacity) ||
      !FitCapacity(kProductKey, a.ProductKey.kCapacity) || !FitCapacity(kProductSecret, a.ProductSecret.kCapacity) ||
      !FitCapacity(kDeviceName, a.DeviceName.kCapacity) || !FitCapacity(kDeviceSecret, a.DeviceSecret.kCapacity) ||
      !FitCapacity(kSubTopic, a.SubTopic.kCapacity) || !FitCapacity(kPubTopic, a.PubTopic.kCapacity)) {
    return false;
  }
  a.Server = Text(kServer);
  a.Port = std::atoi(Text(kPort).c_str());
  a.Keepalive = std::atoi(Text(kKeepalive).c_str());
  a.InstanceID = Text(kInstanceId);
  a.ProductKey = Text(kProductKey);
  a.ProductSecret = Text(kProductSecret);
  a.DeviceName = Text(kDeviceName);
  a.DeviceSecret = Text(kDeviceSecret);
  a.SubTopic = Text(kSubTopic);
  a.PubTopic = Text(kPubTopic);
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuMqttAliyun::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const DtuConfig::AliyunGroup &a = config.aliyun;
  SetAll({a.Server.str(), std::to_string(a.Port), std::to_string(a.Keepalive), a.InstanceID.str(),
          a.ProductKey.str(), a.ProductSecret.str(), a.DeviceName.str(), a.DeviceSecret.str(), a.SubTopic.str(),
          a.PubTopic.str()});
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

void DtuMqttAliyun::DtuMqttAliyunAddrSet(const char *value, int) {
  DTU_LOG("server : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kServer, value);
}

void DtuMqttAliyun::DtuMqttAliyunPortSet(const char *value, int) {
  DTU_LOG("port : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kPort, value);
}

void DtuMqttAliyun::DtuMqttAliyunKeepaliveSet(const char *value, int) {
  DTU_LOG("Keepalive : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kKeepalive, value);
}

void DtuMqttAliyun::DtuMqttAliyunInstanceID(const char *value, int) {
  DTU_LOG("InstanceID : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kInstanceId, value);
}

void DtuMqttAliyun::DtuMqttAliyunProductKeySet(const char *value, int) {
  DTU_LOG("ProductKey : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kProductKey, value);
}

void DtuMqttAliyun::DtuMqttAliyunProducSecretSet(const char *value, int) {
  DTU_LOG("ProducSecret : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kProductSecret, value);
}

void DtuMqttAliyun::DtuMqttAliyunDeviceNameSet(const char *value, int) {
  DTU_LOG("DeviceName : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kDeviceName, value);
}

void DtuMqttAliyun::DtuMqttAliyunDeviceSecretSet(const char *value, int) {
  DTU_LOG("DeviceSecret : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kDeviceSecret, value);
}

void DtuMqttAliyun::DtuMqttAliyunSubTopicSet(const char *value, int) {
  DTU_LOG("SubTopic : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kSubTopic, value);
}

void DtuMqttAliyun::DtuMqttAliyunPubTopicSet(const char *value, int) {
  DTU_LOG("PubTopic : %s", value);
  if (g_aliyun) g_aliyun->OnAnswer(kPubTopic, value);
}
