// The MQTT page: the device's connection to a generic MQTT broker.
#pragma once

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_text_fields_page.h"
#include "pages/kit/dtu_page_store.h"

class DtuMqtt : public DtuTextFieldsPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"MQTT"}; }
  enum Field { kServer, kPort, kKeepalive, kClientId, kUsername, kPassword, kSubTopic, kPubTopic, kQos, kCleanSession };

  explicit DtuMqtt(QObject *parent = nullptr);
  ~DtuMqtt() override;

  void DtuMqttServerSet(const char *value, int length);
  void DtuMqttPortSet(const char *value, int length);
  void DtuMqttKeepaliveSet(const char *value, int length);
  void DtuMqttClientIDSet(const char *value, int length);
  void DtuMqttUsernameSet(const char *value, int length);
  void DtuMqttPasswordSet(const char *value, int length);
  void DtuMqttSubTopicSet(const char *value, int length);
  void DtuMqttPubTopicSet(const char *value, int length);
  void DtuMqttQosSet(const char *value, int length);
  void DtuMqttCleanSessionSet(const char *value, int length);

  const char *PageName() const override { return "mqtt"; }

 protected:
  // Save to Local creates a missing file for this page.
  bool SaveCreatesMissingFile() const override { return true; }

 private:
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuMqtt> reference_{this};
};
