#include "app/views/mqtt_aliyun_view.h"

#include "pages/dtu_mqtt_aliyun.h"

MqttAliyunView::MqttAliyunView(DtuMqttAliyun *page, QWidget *parent) : FieldTableView(page, DtuTextId::kAliyunGroup, DtuTextId::kAliyunInstanceIdHint, parent) {}
