#include "pages/mqtt/dtu_mqtt_onenet.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

std::vector<DtuFieldDef> OnenetFields() {
  using G = DtuConfig::OnenetGroup;
  using F = DtuFileGroup<&DtuConfig::onenet>;
  return {DtuTextFieldDef("Server", "onenet-mqtt-addr")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetAddrSet>()
              .StoredIn(F::Slot<&G::Server>()),
          DtuNumberFieldDef("Port", "onenet-mqtt-port").Ranging(1, 65535)
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetPortSet>()
              .StoredIn(F::Slot<&G::Port>()),
          DtuNumberFieldDef("Keepalive", "onenet-mqtt-keepalive").Ranging(0, 65535)
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetKeepaliveSet>()
              .StoredIn(F::Slot<&G::Keepalive>()),
          DtuTextFieldDef("SubTopic", "onenet-mqtt-subtopic")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetSubTopicSet>()
              .StoredIn(F::Slot<&G::SubTopic>()),
          DtuTextFieldDef("PubTopic", "onenet-mqtt-pubtopic")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetPubTopicSet>()
              .StoredIn(F::Slot<&G::PubTopic>()),
          DtuTextFieldDef("DeviceName", "onenet-mqtt-clientId")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetDeviceIDSet>()
              .StoredIn(F::Slot<&G::DeviceName>()),
          DtuTextFieldDef("ProductID", "onenet-mqtt-username")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetProductIDSet>()
              .StoredIn(F::Slot<&G::ProductID>()),
          DtuTextFieldDef("DeviceKey", "onenet-mqtt-devicekey")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetDeviceKeySet>()
              .StoredIn(F::Slot<&G::DeviceKey>()),
          DtuTextFieldDef("AccessKey", "onenet-mqtt-accesskey")
              .AnsweredBy<&DtuMqttOnenet::DtuMqttOnenetAccessKeySet>()
              .StoredIn(F::Slot<&G::AccessKey>())
              .ConfirmingSet()};
}

}  // namespace

DtuMqttOnenet::DtuMqttOnenet(QObject *parent) : DtuTextFieldsPage(OnenetFields(), parent) {
  // Firmware versions name the device and product differently; every
  // spelling leads to the same field.
  AttachFieldAnswers({
      {"onenet-mqtt-deviceName", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetDeviceIDSet>},
      {"onenet-mqtt-productId", &DtuPageAnswer<&DtuMqttOnenet::DtuMqttOnenetProductIDSet>},
  });
}

DtuMqttOnenet::~DtuMqttOnenet() = default;

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
