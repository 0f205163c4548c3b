// The OneNET MQTT page's widgets.
#pragma once

#include "app/views/text_fields_view.h"

class DtuMqttOnenet;

class MqttOnenetView : public TextFieldsView {
  Q_OBJECT

 public:
  explicit MqttOnenetView(DtuMqttOnenet *page, QWidget *parent = nullptr);
};
