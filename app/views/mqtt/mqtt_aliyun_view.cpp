#include "app/views/mqtt/mqtt_aliyun_view.h"

#include "pages/mqtt/dtu_mqtt_aliyun.h"

MqttAliyunView::MqttAliyunView(DtuMqttAliyun *page, QWidget *parent) : FieldTableView(page, DtuTextId::kAliyunGroup, DtuTextId::kAliyunInstanceIdHint, parent) {}
