// The OneNET MQTT page's widgets.
#pragma once

#include "app/views/kit/field_table_view.h"

class DtuMqttOnenet;

class MqttOnenetView : public FieldTableView {
  Q_OBJECT

 public:
  explicit MqttOnenetView(DtuMqttOnenet *page, QWidget *parent = nullptr);
};
