#include "pages/mqtt/dtu_mqtt.h"

#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

std::vector<DtuFieldDef> MqttFields() {
  using G = DtuConfig::MqttGroup;
  using F = DtuFileGroup<&DtuConfig::mqtt>;
  return {
      DtuTextFieldDef("Server", "mqtt-addr").AnsweredBy<&DtuMqtt::DtuMqttServerSet>().StoredIn(F::Slot<&G::Server>()),
      DtuNumberFieldDef("Port", "mqtt-port").Ranging(1, 65535).AnsweredBy<&DtuMqtt::DtuMqttPortSet>().StoredIn(F::Slot<&G::Port>()),
      DtuNumberFieldDef("Keepalive", "mqtt-keepalive").Ranging(0, 65535)
          .AnsweredBy<&DtuMqtt::DtuMqttKeepaliveSet>()
          .StoredIn(F::Slot<&G::Keepalive>()),
      DtuTextFieldDef("ClientID", "mqtt-clientId")
          .AnsweredBy<&DtuMqtt::DtuMqttClientIDSet>()
          .StoredIn(F::Slot<&G::ClientId>()),
      DtuTextFieldDef("Username", "mqtt-username")
          .AnsweredBy<&DtuMqtt::DtuMqttUsernameSet>()
          .StoredIn(F::Slot<&G::Username>()),
      DtuTextFieldDef("Password", "mqtt-password")
          .AnsweredBy<&DtuMqtt::DtuMqttPasswordSet>()
          .StoredIn(F::Slot<&G::Password>()),
      DtuTextFieldDef("SubTopic", "mqtt-subtopic")
          .AnsweredBy<&DtuMqtt::DtuMqttSubTopicSet>()
          .StoredIn(F::Slot<&G::SubTopic>()),
      DtuTextFieldDef("PubTopic", "mqtt-pubtopic")
          .AnsweredBy<&DtuMqtt::DtuMqttPubTopicSet>()
          .StoredIn(F::Slot<&G::PubTopic>())
          .ConfirmingSet(),
      DtuNumberFieldDef("Qos", "mqtt-qos").Ranging(0, 2).AnsweredBy<&DtuMqtt::DtuMqttQosSet>().StoredIn(F::Slot<&G::Qos>()),
      DtuNumberFieldDef("CleanSession", "mqtt-cleansession").Ranging(0, 1)
          .AnsweredBy<&DtuMqtt::DtuMqttCleanSessionSet>()
          .StoredIn(F::Slot<&G::CleanSession>())};
}

}  // namespace

DtuMqtt::DtuMqtt(QObject *parent) : DtuTextFieldsPage(MqttFields(), parent) { AttachFieldAnswers(); }

DtuMqtt::~DtuMqtt() = default;

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
