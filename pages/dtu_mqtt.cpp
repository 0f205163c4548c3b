#include "pages/dtu_mqtt.h"

#include <cstdlib>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_page_store.h"
#include "base/dtu_text_id.h"

namespace {

std::vector<DtuTextFieldDef> MqttFields() {
  return {{"Server", "mqtt-addr"},         {"Port", "mqtt-port"},         {"Keepalive", "mqtt-keepalive"},
          {"ClientID", "mqtt-clientId"},   {"Username", "mqtt-username"}, {"Password", "mqtt-password"},
          {"SubTopic", "mqtt-subtopic"},   {"PubTopic", "mqtt-pubtopic"}, {"Qos", "mqtt-qos"},
          {"CleanSession", "mqtt-cleansession"}};
}

}  // namespace

DtuMqtt::DtuMqtt(QObject *parent) : DtuTextFieldsPage(MqttFields(), kPubTopic, parent) {
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

bool DtuMqtt::OnBnClickedBtSaveLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfigForSave(config)) return false;
  DtuConfig::MqttGroup &m = config.mqtt;
  if (!FitCapacity(kServer, m.Server.kCapacity) || !FitCapacity(kClientId, m.ClientId.kCapacity) ||
      !FitCapacity(kUsername, m.Username.kCapacity) || !FitCapacity(kPassword, m.Password.kCapacity) ||
      !FitCapacity(kSubTopic, m.SubTopic.kCapacity) || !FitCapacity(kPubTopic, m.PubTopic.kCapacity)) {
    return false;
  }
  m.Server = Text(kServer);
  m.Port = std::atoi(Text(kPort).c_str());
  m.Keepalive = std::atoi(Text(kKeepalive).c_str());
  m.ClientId = Text(kClientId);
  m.Username = Text(kUsername);
  m.Password = Text(kPassword);
  m.SubTopic = Text(kSubTopic);
  m.PubTopic = Text(kPubTopic);
  m.Qos = std::atoi(Text(kQos).c_str());
  m.CleanSession = std::atoi(Text(kCleanSession).c_str());
  return DtuPageSaveConfig(config, DtuTextId::kSaveConfigSucceeded, DtuTextId::kSaveConfigFailed);
}

bool DtuMqtt::OnBnClickedBtReadLocal() {
  DtuConfig config;
  if (!DtuPageLoadConfig(config)) return false;
  const DtuConfig::MqttGroup &m = config.mqtt;
  SetAll({m.Server.str(), std::to_string(m.Port), std::to_string(m.Keepalive), m.ClientId.str(), m.Username.str(),
          m.Password.str(), m.SubTopic.str(), m.PubTopic.str(), std::to_string(m.Qos),
          std::to_string(m.CleanSession)});
  DtuMessageBox(DtuLangText(DtuTextId::kReadLocalSucceeded));
  return true;
}

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
