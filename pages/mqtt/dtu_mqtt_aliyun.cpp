#include "pages/mqtt/dtu_mqtt_aliyun.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

std::vector<DtuFieldDef> AliyunFields() {
  using G = DtuConfig::AliyunGroup;
  using F = DtuFileGroup<&DtuConfig::aliyun>;
  return {DtuTextFieldDef("Server", "aly-mqtt-addr")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunAddrSet>()
              .StoredIn(F::Slot<&G::Server>()),
          DtuNumberFieldDef("Port", "aly-mqtt-port").Ranging(1, 65535)
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunPortSet>()
              .StoredIn(F::Slot<&G::Port>()),
          DtuNumberFieldDef("Keepalive", "aly-mqtt-keepalive").Ranging(0, 65535)
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunKeepaliveSet>()
              .StoredIn(F::Slot<&G::Keepalive>()),
          DtuTextFieldDef("InstanceID", "aly-mqtt-instanceID")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunInstanceID>()
              .StoredIn(F::Slot<&G::InstanceID>()),
          DtuTextFieldDef("ProductKey", "aly-mqtt-productkey")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunProductKeySet>()
              .StoredIn(F::Slot<&G::ProductKey>()),
          DtuTextFieldDef("ProductSecret", "aly-mqtt-productsecret")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunProducSecretSet>()
              .StoredIn(F::Slot<&G::ProductSecret>()),
          DtuTextFieldDef("DeviceName", "aly-mqtt-devicename")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunDeviceNameSet>()
              .StoredIn(F::Slot<&G::DeviceName>()),
          DtuTextFieldDef("DeviceSecret", "aly-mqtt-devicesecret")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunDeviceSecretSet>()
              .StoredIn(F::Slot<&G::DeviceSecret>()),
          DtuTextFieldDef("SubTopic", "aly-mqtt-subtopic")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunSubTopicSet>()
              .StoredIn(F::Slot<&G::SubTopic>()),
          DtuTextFieldDef("PubTopic", "aly-mqtt-pubtopic")
              .AnsweredBy<&DtuMqttAliyun::DtuMqttAliyunPubTopicSet>()
              .StoredIn(F::Slot<&G::PubTopic>())
              .ConfirmingSet()};
}

}  // namespace

DtuMqttAliyun::DtuMqttAliyun(QObject *parent) : DtuTextFieldsPage(AliyunFields(), parent) {
  // The device writes some keys with capitals ("aly-mqtt-productKey"); one
  // handler takes every spelling.
  AttachFieldAnswers();
}

DtuMqttAliyun::~DtuMqttAliyun() = default;

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
