// The MQTT page's widgets.
#pragma once

#include "app/views/kit/field_table_view.h"

class DtuMqtt;

class MqttView : public FieldTableView {
  Q_OBJECT

 public:
  explicit MqttView(DtuMqtt *page, QWidget *parent = nullptr);
};
