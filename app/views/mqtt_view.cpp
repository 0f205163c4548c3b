#include "app/views/mqtt_view.h"

#include "pages/dtu_mqtt.h"

MqttView::MqttView(DtuMqtt *page, QWidget *parent) : FieldTableView(page, std::nullopt, std::nullopt, parent) {}
