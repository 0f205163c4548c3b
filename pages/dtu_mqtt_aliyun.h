// The Aliyun MQTT page: the device's connection to the Aliyun IoT platform
// ("aly-mqtt-" keys).
#pragma once

#include "pages/dtu_text_fields_page.h"

class DtuMqttAliyun : public DtuTextFieldsPage {
  Q_OBJECT

 public:
  enum Field {
    kServer, kPort, kKeepalive, kInstanceId, kProductKey, kProductSecret, kDeviceName, kDeviceSecret, kSubTopic,
    kPubTopic
  };

  explicit DtuMqttAliyun(QObject *parent = nullptr);
  ~DtuMqttAliyun() override;
  static DtuMqttAliyun *Instance();

  static void DtuMqttAliyunAddrSet(const char *value, int length);
  static void DtuMqttAliyunPortSet(const char *value, int length);
  static void DtuMqttAliyunKeepaliveSet(const char *value, int length);
  static void DtuMqttAliyunInstanceID(const char *value, int length);
  static void DtuMqttAliyunProductKeySet(const char *value, int length);
  static void DtuMqttAliyunProducSecretSet(const char *value, int length);
  static void DtuMqttAliyunDeviceNameSet(const char *value, int length);
  static void DtuMqttAliyunDeviceSecretSet(const char *value, int length);
  static void DtuMqttAliyunSubTopicSet(const char *value, int length);
  static void DtuMqttAliyunPubTopicSet(const char *value, int length);

  const char *PageName() const override { return "aliyun"; }
};
