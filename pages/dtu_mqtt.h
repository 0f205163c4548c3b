// The MQTT page: the device's connection to a generic MQTT broker.
#pragma once

#include "pages/dtu_text_fields_page.h"

class DtuMqtt : public DtuTextFieldsPage {
  Q_OBJECT

 public:
  enum Field { kServer, kPort, kKeepalive, kClientId, kUsername, kPassword, kSubTopic, kPubTopic, kQos, kCleanSession };

  explicit DtuMqtt(QObject *parent = nullptr);
  ~DtuMqtt() override;
  static DtuMqtt *Instance();

  static void DtuMqttServerSet(const char *value, int length);
  static void DtuMqttPortSet(const char *value, int length);
  static void DtuMqttKeepaliveSet(const char *value, int length);
  static void DtuMqttClientIDSet(const char *value, int length);
  static void DtuMqttUsernameSet(const char *value, int length);
  static void DtuMqttPasswordSet(const char *value, int length);
  static void DtuMqttSubTopicSet(const char *value, int length);
  static void DtuMqttPubTopicSet(const char *value, int length);
  static void DtuMqttQosSet(const char *value, int length);
  static void DtuMqttCleanSessionSet(const char *value, int length);

  const char *PageName() const override { return "mqtt"; }

 protected:
  // Save to Local creates a missing file for this page.
  bool SaveCreatesMissingFile() const override { return true; }
};
