#include "app/shell/page_views.h"

#include "app/views/bhu/bhu_view.h"
#include "app/views/cmd_port/cmd_port_view.h"
#include "app/views/help/help_view.h"
#include "app/views/settings/data_port_view.h"
#include "app/views/settings/devinfo_view.h"
#include "app/views/dlt645/dlt645_view.h"
#include "app/views/modbus/modbus_cache_view.h"
#include "app/views/modbus/modbus_view.h"
#include "app/views/mqtt/mqtt_aliyun_view.h"
#include "app/views/mqtt/mqtt_onenet_view.h"
#include "app/views/mqtt/mqtt_view.h"
#include "app/views/settings/net_view.h"
#include "app/views/settings/tcp_udp_view.h"
#include "app/views/virtual_serial/virtual_serial_view.h"
#include "app/views/settings/work_mode_view.h"
#include "pages/bhu/dtu_bhu.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/settings/dtu_data_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"
#include "pages/settings/dtu_net.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"
#include "pages/virtual_serial/virtual_serial_tool.h"

namespace {

using C = DtuPageCode;

// While the virtual serial page is on view, received serial text goes to the
// cloud link instead of the pages, and the page reloads its account.
void VirtualSerialShown(QObject *logic) { qobject_cast<VirtualSerialTool *>(logic)->SetOnView(true); }
void VirtualSerialHidden(QObject *logic) { qobject_cast<VirtualSerialTool *>(logic)->SetOnView(false); }

// The Help page has no logic object: its view is all there is.
DtuHostedView MakeHelpView(QObject *, const DtuPageCatalogRow &) {
  auto *view = new HelpView;
  return {view, [view] { view->UpdateLanguage(); }};
}

const std::vector<DtuPageViewRow> kDtuPageViews = {
    {C::kCmdPort, &DtuMakeView<CmdPortView, DtuCmdPortPage>},
    {C::kDataPort, &DtuMakeView<DataPortView, DtuDataPort>},
    {C::kModbus, &DtuMakeView<ModbusView, DtuModbus>},
    {C::kModbusCache, &DtuMakeView<ModbusCacheView, DtuModbusCache>},
    {C::kDlt645, &DtuMakeView<Dlt645View, DtuDLT645>},
    {C::kDevinfo, &DtuMakeView<DevinfoView, DtuDevinfo>},
    {C::kNet, &DtuMakeView<NetView, DtuNet>},
    {C::kWorkMode, &DtuMakeView<WorkModeView, DtuWorkMode>},
    {C::kTcpUdp, &DtuMakeView<TcpUdpView, DtuTcpUdp>},
    {C::kMqtt, &DtuMakeView<MqttView, DtuMqtt>},
    {C::kMqttAliyun, &DtuMakeView<MqttAliyunView, DtuMqttAliyun>},
    {C::kMqttOnenet, &DtuMakeView<MqttOnenetView, DtuMqttOnenet>},
    {C::kBhu, &DtuMakeView<BhuView, DtuBhu>},
    {C::kVirtualSerial, &DtuMakeView<VirtualSerialView, VirtualSerialTool>, &VirtualSerialShown, &VirtualSerialHidden},
    {C::kHelp, &MakeHelpView},
};

}  // namespace

const std::vector<DtuPageViewRow> &DtuPageViews() { return kDtuPageViews; }
