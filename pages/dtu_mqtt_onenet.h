// The OneNET MQTT page: the device's connection to the OneNET platform
// ("onenet-mqtt-" keys; the device name travels as the client id, the
// product ID as the user name).
#pragma once

#include "pages/dtu_text_fields_page.h"

class DtuMqttOnenet : public DtuTextFieldsPage {
  Q_OBJECT

 public:
  enum Field { kServer, kPort, kKeepalive, kSubTopic, kPubTopic, kDeviceName, kProductId, kDeviceKey, kAccessKey };

  explicit DtuMqttOnenet(QObject *parent = nullptr);
  ~DtuMqttOnenet() override;
  static DtuMqttOnenet *Instance();

  static void DtuMqttOnenetAddrSet(const char *value, int length);
  static void DtuMqttOnenetPortSet(const char *value, int length);
  static void DtuMqttOnenetKeepaliveSet(const char *value, int length);
  static void DtuMqttOnenetSubTopicSet(const char *value, int length);
  static void DtuMqttOnenetPubTopicSet(const char *value, int length);
  static void DtuMqttOnenetDeviceIDSet(const char *value, int length);
  static void DtuMqttOnenetProductIDSet(const char *value, int length);
  static void DtuMqttOnenetDeviceKeySet(const char *value, int length);
  static void DtuMqttOnenetAccessKeySet(const char *value, int length);

  const char *PageName() const override { return "onenet"; }
};
