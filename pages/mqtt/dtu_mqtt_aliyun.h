// The Aliyun MQTT page: the device's connection to the Aliyun IoT platform
// ("aly-mqtt-" keys).
#pragma once

#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_text_fields_page.h"
#include "pages/kit/dtu_page_store.h"

class DtuMqttAliyun : public DtuTextFieldsPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"ALIYUN_MQTT"}; }
  enum Field {
    kServer, kPort, kKeepalive, kInstanceId, kProductKey, kProductSecret, kDeviceName, kDeviceSecret, kSubTopic,
    kPubTopic
  };

  explicit DtuMqttAliyun(QObject *parent = nullptr);
  ~DtuMqttAliyun() override;

  void DtuMqttAliyunAddrSet(const char *value, int length);
  void DtuMqttAliyunPortSet(const char *value, int length);
  void DtuMqttAliyunKeepaliveSet(const char *value, int length);
  void DtuMqttAliyunInstanceID(const char *value, int length);
  void DtuMqttAliyunProductKeySet(const char *value, int length);
  void DtuMqttAliyunProducSecretSet(const char *value, int length);
  void DtuMqttAliyunDeviceNameSet(const char *value, int length);
  void DtuMqttAliyunDeviceSecretSet(const char *value, int length);
  void DtuMqttAliyunSubTopicSet(const char *value, int length);
  void DtuMqttAliyunPubTopicSet(const char *value, int length);

  const char *PageName() const override { return "aliyun"; }

 private:
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuMqttAliyun> reference_{this};
};
