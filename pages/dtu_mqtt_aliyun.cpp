#include "pages/dtu_mqtt_aliyun.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

std::vector<DtuFieldDef> AliyunFields() {
  using G = DtuConfig::AliyunGroup;
  using F = DtuFileGroup<&DtuConfig::aliyun>;
  return {DtuTextFieldDef("Server", "aly-mqtt-addr").StoredIn(F::Slot<&G::Server>()),
          DtuNumberFieldDef("Port", "aly-mqtt-port").StoredIn(F::Slot<&G::Port>()),
          DtuNumberFieldDef("Keepalive", "aly-mqtt-keepalive").StoredIn(F::Slot<&G::Keepalive>()),
          DtuTextFieldDef("InstanceID", "aly-mqtt-instanceID").StoredIn(F::Slot<&G::InstanceID>()),
          DtuTextFieldDef("ProductKey", "aly-mqtt-productkey").StoredIn(F::Slot<&G::ProductKey>()),
          DtuTextFieldDef("ProductSecret", "aly-mqtt-productsecret").StoredIn(F::Slot<&G::ProductSecret>()),
          DtuTextFieldDef("DeviceName", "aly-mqtt-devicename").StoredIn(F::Slot<&G::DeviceName>()),
          DtuTextFieldDef("DeviceSecret", "aly-mqtt-devicesecret").StoredIn(F::Slot<&G::DeviceSecret>()),
          DtuTextFieldDef("SubTopic", "aly-mqtt-subtopic").StoredIn(F::Slot<&G::SubTopic>()),
          DtuTextFieldDef("PubTopic", "aly-mqtt-pubtopic").StoredIn(F::Slot<&G::PubTopic>()).ConfirmingSet()};
}

}  // namespace

DtuMqttAliyun::DtuMqttAliyun(QObject *parent) : DtuTextFieldsPage(AliyunFields(), parent) {
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
