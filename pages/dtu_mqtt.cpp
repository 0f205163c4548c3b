#include "pages/dtu_mqtt.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

DtuMqtt *g_mqtt = nullptr;

std::vector<DtuFieldDef> MqttFields() {
  using G = DtuConfig::MqttGroup;
  using F = DtuFileGroup<&DtuConfig::mqtt>;
  return {DtuTextFieldDef("Server", "mqtt-addr").StoredIn(F::Slot<&G::Server>()),
          DtuNumberFieldDef("Port", "mqtt-port").StoredIn(F::Slot<&G::Port>()),
          DtuNumberFieldDef("Keepalive", "mqtt-keepalive").StoredIn(F::Slot<&G::Keepalive>()),
          DtuTextFieldDef("ClientID", "mqtt-clientId").StoredIn(F::Slot<&G::ClientId>()),
          DtuTextFieldDef("Username", "mqtt-username").StoredIn(F::Slot<&G::Username>()),
          DtuTextFieldDef("Password", "mqtt-password").StoredIn(F::Slot<&G::Password>()),
          DtuTextFieldDef("SubTopic", "mqtt-subtopic").StoredIn(F::Slot<&G::SubTopic>()),
          DtuTextFieldDef("PubTopic", "mqtt-pubtopic").StoredIn(F::Slot<&G::PubTopic>()).ConfirmingSet(),
          DtuNumberFieldDef("Qos", "mqtt-qos").StoredIn(F::Slot<&G::Qos>()),
          DtuNumberFieldDef("CleanSession", "mqtt-cleansession").StoredIn(F::Slot<&G::CleanSession>())};
}

}  // namespace

DtuMqtt::DtuMqtt(QObject *parent) : DtuTextFieldsPage(MqttFields(), parent) {
  g_mqtt = this;
  DtuCmdAttachHandler("mqtt-addr", &DtuMqtt::DtuMqttServerSet);
  DtuCmdAttachHandler("mqtt-port", &DtuMqtt::DtuMqttPortSet);
  DtuCmdAttachHandler("mqtt-keepalive", &DtuMqtt::DtuMqttKeepaliveSet);
  DtuCmdAttachHandler("mqtt-clientId", &DtuMqtt::DtuMqttClientIDSet);
  DtuCmdAttachHandler("mqtt-username", &DtuMqtt::DtuMqttUsernameSet);
  DtuCmdAttachHandler("mqtt-password", &DtuMqtt::DtuMqttPasswordSet);
  DtuCmdAttachHandler("mqtt-subtopic", &DtuMqtt::DtuMqttSubTopicSet);
  DtuCmdAttachHandler("mqtt-pubtopic", &DtuMqtt::DtuMqttPubTopicSet);
  DtuCmdAttachHandler("mqtt-qos", &DtuMqtt::DtuMqttQosSet);
  DtuCmdAttachHandler("mqtt-cleansession", &DtuMqtt::DtuMqttCleanSessionSet);
}

DtuMqtt::~DtuMqtt() {
  if (g_mqtt == this) g_mqtt = nullptr;
}

DtuMqtt *DtuMqtt::Instance() { return g_mqtt; }

void DtuMqtt::DtuMqttServerSet(const char *value, int) {
  DTU_LOG("server : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kServer, value);
}

void DtuMqtt::DtuMqttPortSet(const char *value, int) {
  DTU_LOG("port : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kPort, value);
}

void DtuMqtt::DtuMqttKeepaliveSet(const char *value, int) {
  DTU_LOG("Keepalive : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kKeepalive, value);
}

void DtuMqtt::DtuMqttClientIDSet(const char *value, int) {
  DTU_LOG("ClientID : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kClientId, value);
}

void DtuMqtt::DtuMqttUsernameSet(const char *value, int) {
  DTU_LOG("Username : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kUsername, value);
}

void DtuMqtt::DtuMqttPasswordSet(const char *value, int) {
  DTU_LOG("Password : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kPassword, value);
}

void DtuMqtt::DtuMqttSubTopicSet(const char *value, int) {
  DTU_LOG("SubTopic : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kSubTopic, value);
}

void DtuMqtt::DtuMqttPubTopicSet(const char *value, int) {
  DTU_LOG("PubTopic : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kPubTopic, value);
}

void DtuMqtt::DtuMqttQosSet(const char *value, int) {
  DTU_LOG("qos : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kQos, value);
}

void DtuMqtt::DtuMqttCleanSessionSet(const char *value, int) {
  DTU_LOG("cleanSession : %s", value);
  if (g_mqtt) g_mqtt->OnAnswer(kCleanSession, value);
}
