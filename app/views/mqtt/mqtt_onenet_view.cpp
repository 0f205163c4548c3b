#include "app/views/mqtt/mqtt_onenet_view.h"

#include "pages/mqtt/dtu_mqtt_onenet.h"

MqttOnenetView::MqttOnenetView(DtuMqttOnenet *page, QWidget *parent) : FieldTableView(page, DtuTextId::kOnenetGroup, DtuTextId::kOnenetDeviceKeyHint, parent) {}
