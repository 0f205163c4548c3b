// The Aliyun MQTT page's widgets.
#pragma once

#include "app/views/kit/field_table_view.h"

class DtuMqttAliyun;

class MqttAliyunView : public FieldTableView {
  Q_OBJECT

 public:
  explicit MqttAliyunView(DtuMqttAliyun *page, QWidget *parent = nullptr);
};
