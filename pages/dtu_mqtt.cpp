#include "pages/dtu_mqtt.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

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
  DtuAttachPageAnswers({
      {"mqtt-addr", &DtuPageAnswer<&DtuMqtt::DtuMqttServerSet>},
      {"mqtt-port", &DtuPageAnswer<&DtuMqtt::DtuMqttPortSet>},
      {"mqtt-keepalive", &DtuPageAnswer<&DtuMqtt::DtuMqttKeepaliveSet>},
      {"mqtt-clientId", &DtuPageAnswer<&DtuMqtt::DtuMqttClientIDSet>},
      {"mqtt-username", &DtuPageAnswer<&DtuMqtt::DtuMqttUsernameSet>},
      {"mqtt-password", &DtuPageAnswer<&DtuMqtt::DtuMqttPasswordSet>},
      {"mqtt-subtopic", &DtuPageAnswer<&DtuMqtt::DtuMqttSubTopicSet>},
      {"mqtt-pubtopic", &DtuPageAnswer<&DtuMqtt::DtuMqttPubTopicSet>},
      {"mqtt-qos", &DtuPageAnswer<&DtuMqtt::DtuMqttQosSet>},
      {"mqtt-cleansession", &DtuPageAnswer<&DtuMqtt::DtuMqttCleanSessionSet>},
  });
}

DtuMqtt::~DtuMqtt() = default;

DtuMqtt *DtuMqtt::Instance() { return DtuPageReference<DtuMqtt>::Current(); }

void DtuMqtt::DtuMqttServerSet(const char *value, int) {
  DTU_LOG("server : %s", value);
  OnAnswer(kServer, value);
}

void DtuMqtt::DtuMqttPortSet(const char *value, int) {
  DTU_LOG("port : %s", value);
  OnAnswer(kPort, value);
}

void DtuMqtt::DtuMqttKeepaliveSet(const char *value, int) {
  DTU_LOG("Keepalive : %s", value);
  OnAnswer(kKeepalive, value);
}

void DtuMqtt::DtuMqttClientIDSet(const char *value, int) {
  DTU_LOG("ClientID : %s", value);
  OnAnswer(kClientId, value);
}

void DtuMqtt::DtuMqttUsernameSet(const char *value, int) {
  DTU_LOG("Username : %s", value);
  OnAnswer(kUsername, value);
}

void DtuMqtt::DtuMqttPasswordSet(const char *value, int) {
  DTU_LOG("Password : %s", value);
  OnAnswer(kPassword, value);
}

void DtuMqtt::DtuMqttSubTopicSet(const char *value, int) {
  DTU_LOG("SubTopic : %s", value);
  OnAnswer(kSubTopic, value);
}

void DtuMqtt::DtuMqttPubTopicSet(const char *value, int) {
  DTU_LOG("PubTopic : %s", value);
  OnAnswer(kPubTopic, value);
}

void DtuMqtt::DtuMqttQosSet(const char *value, int) {
  DTU_LOG("qos : %s", value);
  OnAnswer(kQos, value);
}

void DtuMqtt::DtuMqttCleanSessionSet(const char *value, int) {
  DTU_LOG("cleanSession : %s", value);
  OnAnswer(kCleanSession, value);
}
