// The OneNET MQTT page: the device's connection to the OneNET platform
// ("onenet-mqtt-" keys; the device name travels as the client id, the
// product ID as the user name).
#pragma once

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_text_fields_page.h"
#include "pages/kit/dtu_page_store.h"

class DtuMqttOnenet : public DtuTextFieldsPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"ONENET_MQTT"}; }
  enum Field { kServer, kPort, kKeepalive, kSubTopic, kPubTopic, kDeviceName, kProductId, kDeviceKey, kAccessKey };

  explicit DtuMqttOnenet(QObject *parent = nullptr);
  ~DtuMqttOnenet() override;

  void DtuMqttOnenetAddrSet(const char *value, int length);
  void DtuMqttOnenetPortSet(const char *value, int length);
  void DtuMqttOnenetKeepaliveSet(const char *value, int length);
  void DtuMqttOnenetSubTopicSet(const char *value, int length);
  void DtuMqttOnenetPubTopicSet(const char *value, int length);
  void DtuMqttOnenetDeviceIDSet(const char *value, int length);
  void DtuMqttOnenetProductIDSet(const char *value, int length);
  void DtuMqttOnenetDeviceKeySet(const char *value, int length);
  void DtuMqttOnenetAccessKeySet(const char *value, int length);

  const char *PageName() const override { return "onenet"; }

 private:
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuMqttOnenet> reference_{this};
};
