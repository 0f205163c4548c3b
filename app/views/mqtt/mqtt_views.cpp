// The MQTT pages' views in the view table: each is its page's field table.
#include "app/shell/page_views.h"
#include "app/views/kit/field_table_view.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"

namespace {
constexpr FieldTableTexts kMqttTexts{std::nullopt, std::nullopt};
constexpr FieldTableTexts kAliyunTexts{DtuTextId::kAliyunGroup, DtuTextId::kAliyunInstanceIdHint};
constexpr FieldTableTexts kOnenetTexts{DtuTextId::kOnenetGroup, DtuTextId::kOnenetDeviceKeyHint};
}  // namespace

DTU_VIEW_FAMILY(mqtt, {DtuPageCode::kMqtt, &DtuMakeView<FieldTableViewOf<kMqttTexts>, DtuMqtt>},
                {DtuPageCode::kMqttAliyun, &DtuMakeView<FieldTableViewOf<kAliyunTexts>, DtuMqttAliyun>},
                {DtuPageCode::kMqttOnenet, &DtuMakeView<FieldTableViewOf<kOnenetTexts>, DtuMqttOnenet>});
