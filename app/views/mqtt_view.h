// The MQTT page's widgets.
#pragma once

#include "app/views/text_fields_view.h"

class DtuMqtt;

class MqttView : public TextFieldsView {
  Q_OBJECT

 public:
  explicit MqttView(DtuMqtt *page, QWidget *parent = nullptr);
};
