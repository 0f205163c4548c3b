// The Aliyun MQTT page's widgets.
#pragma once

#include "app/views/text_fields_view.h"

class DtuMqttAliyun;

class MqttAliyunView : public TextFieldsView {
  Q_OBJECT

 public:
  explicit MqttAliyunView(DtuMqttAliyun *page, QWidget *parent = nullptr);
};
