#include "pages/dtu_mqtt_onenet.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

DtuMqttOnenet *g_onenet = nullptr;

std::vector<DtuFieldDef> OnenetFields() {
  using G = DtuConfig::OnenetGroup;
  using F = DtuFileGroup<&DtuConfig::onenet>;
  return {DtuTextFieldDef("Server", "onenet-mqtt-addr").StoredIn(F::Slot<&G::Server>()),
          DtuNumberFieldDef("Port", "onenet-mqtt-port").StoredIn(F::Slot<&G::Port>()),
          DtuNumberFieldDef("Keepalive", "onenet-mqtt-keepalive").StoredIn(F::Slot<&G::Keepalive>()),
          DtuTextFieldDef("SubTopic", "onenet-mqtt-subtopic").StoredIn(F::Slot<&G::SubTopic>()),
          DtuTextFieldDef("PubTopic", "onenet-mqtt-pubtopic").StoredIn(F::Slot<&G::PubTopic>()),
          DtuTextFieldDef("DeviceName", "onenet-mqtt-clientId").StoredIn(F::Slot<&G::DeviceName>()),
          DtuTextFieldDef("ProductID", "onenet-mqtt-username").StoredIn(F::Slot<&G::ProductID>()),
          DtuTextFieldDef("DeviceKey", "onenet-mqtt-devicekey").StoredIn(F::Slot<&G::DeviceKey>()),
          DtuTextFieldDef("AccessKey", "onenet-mqtt-accesskey").StoredIn(F::Slot<&G::AccessKey>()).ConfirmingSet()};
}

}  // namespace

DtuMqttOnenet::DtuMqttOnenet(QObject *parent) : DtuTextFieldsPage(OnenetFields(), parent) {
  g_onenet = this;
  DtuCmdAttachHandler("onenet-mqtt-addr", &DtuMqttOnenet::DtuMqttOnenetAddrSet);
  DtuCmdAttachHandler("onenet-mqtt-port", &DtuMqttOnenet::DtuMqttOnenetPortSet);
  DtuCmdAttachHandler("onenet-mqtt-keepalive", &DtuMqttOnenet::DtuMqttOnenetKeepaliveSet);
  DtuCmdAttachHandler("onenet-mqtt-subtopic", &DtuMqttOnenet::DtuMqttOnenetSubTopicSet);
  DtuCmdAttachHandler("onenet-mqtt-pubtopic", &DtuMqttOnenet::DtuMqttOnenetPubTopicSet);
  // Firmware versions name the device and product differently; every
  // spelling leads to the same field.
  DtuCmdAttachHandler("onenet-mqtt-clientId", &DtuMqttOnenet::DtuMqttOnenetDeviceIDSet);
  DtuCmdAttachHandler("onenet-mqtt-deviceName", &DtuMqttOnenet::DtuMqttOnenetDeviceIDSet);
  DtuCmdAttachHandler("onenet-mqtt-username", &DtuMqttOnenet::DtuMqttOnenetProductIDSet);
  DtuCmdAttachHandler("onenet-mqtt-productId", &DtuMqttOnenet::DtuMqttOnenetProductIDSet);
  DtuCmdAttachHandler("onenet-mqtt-devicekey", &DtuMqttOnenet::DtuMqttOnenetDeviceKeySet);
  DtuCmdAttachHandler("onenet-mqtt-accesskey", &DtuMqttOnenet::DtuMqttOnenetAccessKeySet);
}

DtuMqttOnenet::~DtuMqttOnenet() {
  if (g_onenet == this) g_onenet = nullptr;
}

DtuMqttOnenet *DtuMqttOnenet::Instance() { return g_onenet; }

void DtuMqttOnenet::DtuMqttOnenetAddrSet(const char *value, int) {
  DTU_LOG("server : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kServer, value);
}

void DtuMqttOnenet::DtuMqttOnenetPortSet(const char *value, int) {
  DTU_LOG("port : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kPort, value);
}

void DtuMqttOnenet::DtuMqttOnenetKeepaliveSet(const char *value, int) {
  DTU_LOG("Keepalive : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kKeepalive, value);
}

void DtuMqttOnenet::DtuMqttOnenetSubTopicSet(const char *value, int) {
  DTU_LOG("SubTopic : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kSubTopic, value);
}

void DtuMqttOnenet::DtuMqttOnenetPubTopicSet(const char *value, int) {
  DTU_LOG("PubTopic : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kPubTopic, value);
}

void DtuMqttOnenet::DtuMqttOnenetDeviceIDSet(const char *value, int) {
  DTU_LOG("DeviceID : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kDeviceName, value);
}

void DtuMqttOnenet::DtuMqttOnenetProductIDSet(const char *value, int) {
  DTU_LOG("ProductID : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kProductId, value);
}

void DtuMqttOnenet::DtuMqttOnenetDeviceKeySet(const char *value, int) {
  DTU_LOG("DeviceKey : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kDeviceKey, value);
}

void DtuMqttOnenet::DtuMqttOnenetAccessKeySet(const char *value, int) {
  DTU_LOG("AccessKey : %s", value);
  if (g_onenet) g_onenet->OnAnswer(kAccessKey, value);
}
