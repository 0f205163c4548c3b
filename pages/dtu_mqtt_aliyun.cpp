#include "pages/dtu_mqtt_aliyun.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

DtuMqttAliyun *g_aliyun = nullptr;

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
