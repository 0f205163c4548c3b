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
  // The device writes some keys with capitals ("aly-mqtt-productKey"); one
  // handler takes every spelling.
  DtuAttachPageAnswers({
      {"aly-mqtt-addr", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunAddrSet>},
      {"aly-mqtt-port", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunPortSet>},
      {"aly-mqtt-keepalive", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunKeepaliveSet>},
      {"aly-mqtt-instanceID", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunInstanceID>},
      {"aly-mqtt-productkey", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunProductKeySet>},
      {"aly-mqtt-productsecret", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunProducSecretSet>},
      {"aly-mqtt-devicename", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunDeviceNameSet>},
      {"aly-mqtt-devicesecret", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunDeviceSecretSet>},
      {"aly-mqtt-subtopic", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunSubTopicSet>},
      {"aly-mqtt-pubtopic", &DtuPageAnswer<&DtuMqttAliyun::DtuMqttAliyunPubTopicSet>},
  });
}

DtuMqttAliyun::~DtuMqttAliyun() = default;

DtuMqttAliyun *DtuMqttAliyun::Instance() { return DtuPageReference<DtuMqttAliyun>::Current(); }

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
  OnAnswer(kServer, value);
}

void DtuMqttAliyun::DtuMqttAliyunPortSet(const char *value, int) {
  DTU_LOG("port : %s", value);
  OnAnswer(kPort, value);
}

void DtuMqttAliyun::DtuMqttAliyunKeepaliveSet(const char *value, int) {
  DTU_LOG("Keepalive : %s", value);
  OnAnswer(kKeepalive, value);
}

void DtuMqttAliyun::DtuMqttAliyunInstanceID(const char *value, int) {
  DTU_LOG("InstanceID : %s", value);
  OnAnswer(kInstanceId, value);
}

void DtuMqttAliyun::DtuMqttAliyunProductKeySet(const char *value, int) {
  DTU_LOG("ProductKey : %s", value);
  OnAnswer(kProductKey, value);
}

void DtuMqttAliyun::DtuMqttAliyunProducSecretSet(const char *value, int) {
  DTU_LOG("ProducSecret : %s", value);
  OnAnswer(kProductSecret, value);
}

void DtuMqttAliyun::DtuMqttAliyunDeviceNameSet(const char *value, int) {
  DTU_LOG("DeviceName : %s", value);
  OnAnswer(kDeviceName, value);
}

void DtuMqttAliyun::DtuMqttAliyunDeviceSecretSet(const char *value, int) {
  DTU_LOG("DeviceSecret : %s", value);
  OnAnswer(kDeviceSecret, value);
}

void DtuMqttAliyun::DtuMqttAliyunSubTopicSet(const char *value, int) {
  DTU_LOG("SubTopic : %s", value);
  OnAnswer(kSubTopic, value);
}

void DtuMqttAliyun::DtuMqttAliyunPubTopicSet(const char *value, int) {
  DTU_LOG("PubTopic : %s", value);
  OnAnswer(kPubTopic, value);
}
