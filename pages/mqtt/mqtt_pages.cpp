// The MQTT pages in the catalog. "Aliyun MQTT" and "OneNET MQTT" sit under
// "Work Mode" so that their pages can be reached.
#include "pages/dtu_page_catalog.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"

namespace {
using C = DtuPageCode;
using T = DtuTextId;
}  // namespace

DTU_PAGE_FAMILY(mqtt, {C::kMqtt, T::kTreeMqttMode, C::kWorkMode, C::kMqtt, "mqtt", &DtuMakePage<DtuMqtt>},
                {C::kMqttAliyun, T::kTreeAliyunMqtt, C::kWorkMode, C::kMqttAliyun, "aliyun",
                 &DtuMakePage<DtuMqttAliyun>},
                {C::kMqttOnenet, T::kTreeOnenetMqtt, C::kWorkMode, C::kMqttOnenet, "onenet",
                 &DtuMakePage<DtuMqttOnenet>});
