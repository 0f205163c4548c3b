// The MQTT pages' views in the view table.
#include "app/shell/page_views.h"
#include "app/views/mqtt/mqtt_aliyun_view.h"
#include "app/views/mqtt/mqtt_onenet_view.h"
#include "app/views/mqtt/mqtt_view.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"

DTU_VIEW_FAMILY(mqtt, {DtuPageCode::kMqtt, &DtuMakeView<MqttView, DtuMqtt>},
                {DtuPageCode::kMqttAliyun, &DtuMakeView<MqttAliyunView, DtuMqttAliyun>},
                {DtuPageCode::kMqttOnenet, &DtuMakeView<MqttOnenetView, DtuMqttOnenet>});
