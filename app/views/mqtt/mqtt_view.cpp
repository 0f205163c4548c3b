#include "app/views/mqtt/mqtt_view.h"

#include "pages/mqtt/dtu_mqtt.h"

MqttView::MqttView(DtuMqtt *page, QWidget *parent) : FieldTableView(page, std::nullopt, std::nullopt, parent) {}
