#include "pages/dtu_mqtt_onenet.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

namespace {

std::vector<DtuTextFieldDef> OnenetFields() {
  return {{"Server", "onenet-mqtt-addr"},          {"Port", "onenet-mqtt-port"},
          {"Keepalive", "onenet-mqtt-keepalive"},  {"SubTopic", "onenet-mqtt-subtopic"},
          {"PubTopic", "onenet-mqtt-pubtopic"},    {"DeviceName", "onenet-mqtt-clientId"},
          {"ProductID", "onenet-mqtt-username"},   {"DeviceKey", "onenet-mqtt-devicekey"},
          {"AccessKey", "onenet-mqtt-accesskey"}};
}

}  // namespace

DtuMqttOnenet::DtuMqttOnenet(QObject *parent) : DtuTextFieldsPage(OnenetFields(), kAccessKey, parent) {
  DtuAttachPageAnswers({
      {"onenet-mqtt-addr", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetAddrSet>},
      {"onenet-mqtt-port", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetPortSet>},
      {"onenet-mqtt-keepalive", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetKeepaliveSet>},
      {"onenet-mqtt-subtopic", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetSubTopicSet>},
      {"onenet-mqtt-pubtopic", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetPubTopicSet>},
      // Firmware versions name the device and product differently; every
      // spelling leads to the same field.
      {"onenet-mqtt-clientId", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetDeviceIDSet>},
      {"onenet-mqtt-deviceName", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetDeviceIDSet>},
      {"onenet-mqtt-username", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetProductIDSet>},
      {"onenet-mqtt-productId", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetProductIDSet>},
      {"onenet-mqtt-devicekey", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetDeviceKeySet>},
      {"onenet-mqtt-accesskey", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetAccessKeySet>},
  });
}

DtuMqttOnenet::~DtuMqttOnenet() = default;

DtuMqttOnenet *DtuMqttOnenet::Instance() { return DtuPageReference<DtuMqttOnenet>::Current(); }

bool DtuMqttOnenet::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  DtuConfig::OnenetGroup &o = config.onenet;
  if (!FitCapacity(kServer, o.Server.kCapacity) || !FitCapacity(kDeviceName, o.DeviceName.kCapacity) ||
      !FitCapacity(kProductId, o.ProductID.kCapacity) || !FitCapacity(kDeviceKey, o.DeviceKey.kCapacity) ||
      !FitCapacity(kAccessKey, o.AccessKey.kCapacity) || !FitCapacity(kSubTopic, o.SubTopic.kCapacity) ||
      !FitCapacity(kPubTopic, o.PubTopic.kCapacity)) {
    return false;
  }
  o.Server = Text(kServer);
  o.Port = std::atoi(Text(kPort).c_str());
  o.Keepalive = std::atoi(Text(kKeepalive).c_str());
  o.SubTopic = Text(kSubTopic);
  o.PubTopic = Text(kPubTopic);
  o.DeviceName = Text(kDeviceName);
  o.ProductID = Text(kProductId);
  o.DeviceKey = Text(kDeviceKey);
  o.AccessKey = Text(kAccessKey);
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuMqttOnenet::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const DtuConfig::OnenetGroup &o = config.onenet;
  SetAll({o.Server.str(), std::to_string(o.Port), std::to_string(o.Keepalive), o.SubTopic.str(), o.PubTopic.str(),
          o.DeviceName.str(), o.ProductID.str(), o.DeviceKey.str(), o.AccessKey.str()});
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

void DtuMqttOnenet::DtuMqttOnenetAddrSet(const char *value, int) {
  DTU_LOG("server : %s", value);
  OnAnswer(kServer, value);
}

void DtuMqttOnenet::DtuMqttOnenetPortSet(const char *value, int) {
  DTU_LOG("port : %s", value);
  OnAnswer(kPort, value);
}

void DtuMqttOnenet::DtuMqttOnenetKeepaliveSet(const char *value, int) {
  DTU_LOG("Keepalive : %s", value);
  OnAnswer(kKeepalive, value);
}

void DtuMqttOnenet::DtuMqttOnenetSubTopicSet(const char *value, int) {
  DTU_LOG("SubTopic : %s", value);
  OnAnswer(kSubTopic, value);
}

void DtuMqttOnenet::DtuMqttOnenetPubTopicSet(const char *value, int) {
  DTU_LOG("PubTopic : %s", value);
  OnAnswer(kPubTopic, value);
}

void DtuMqttOnenet::DtuMqttOnenetDeviceIDSet(const char *value, int) {
  DTU_LOG("DeviceID : %s", value);
  OnAnswer(kDeviceName, value);
}

void DtuMqttOnenet::DtuMqttOnenetProductIDSet(const char *value, int) {
  DTU_LOG("ProductID : %s", value);
  OnAnswer(kProductId, value);
}

void DtuMqttOnenet::DtuMqttOnenetDeviceKeySet(const char *value, int) {
  DTU_LOG("DeviceKey : %s", value);
  OnAnswer(kDeviceKey, value);
}

void DtuMqttOnenet::DtuMqttOnenetAccessKeySet(const char *value, int) {
  DTU_LOG("AccessKey : %s", value);
  OnAnswer(kAccessKey, value);
}
