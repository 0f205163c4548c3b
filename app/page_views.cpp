#include "app/page_views.h"

#include <QLabel>

#include "app/views/bhu_view.h"
#include "app/views/cmd_port_view.h"
#include "app/views/data_port_view.h"
#include "app/views/devinfo_view.h"
#include "app/views/dlt645_view.h"
#include "app/views/mqtt_aliyun_view.h"
#include "app/views/mqtt_onenet_view.h"
#include "app/views/mqtt_view.h"
#include "app/views/net_view.h"
#include "app/views/tcp_udp_view.h"
#include "app/views/virtual_serial_view.h"
#include "app/views/work_mode_view.h"
#include "base/dtu_lang.h"
#include "pages/dtu_bhu.h"
#include "pages/dtu_cmd_port_page.h"
#include "pages/dtu_data_port.h"
#include "pages/dtu_devinfo.h"
#include "pages/dtu_dlt645.h"
#include "pages/dtu_mqtt.h"
#include "pages/dtu_mqtt_aliyun.h"
#include "pages/dtu_mqtt_onenet.h"
#include "pages/dtu_net.h"
#include "pages/dtu_tcp_udp.h"
#include "pages/dtu_work_mode.h"
#include "pages/virtual_serial_tool.h"

namespace {

using C = DtuPageCode;

// While the virtual serial page is on view, received serial text goes to the
// cloud link instead of the pages, and the page reloads its account.
void VirtualSerialShown(QObject *logic) { qobject_cast<VirtualSerialTool *>(logic)->SetOnView(true); }
void VirtualSerialHidden(QObject *logic) { qobject_cast<VirtualSerialTool *>(logic)->SetOnView(false); }

const std::vector<DtuPageViewRow> kDtuPageViews = {
    {C::kCmdPort, &DtuMakeView<CmdPortView, DtuCmdPortPage>},
    {C::kDataPort, &DtuMakeView<DataPortView, DtuDataPort>},
    {C::kModbus, &DtuMakePlaceholderView},
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
};

}  // namespace

DtuHostedView DtuMakePlaceholderView(QObject *, const DtuPageCatalogRow &row) {
  auto *label = new QLabel;
  label->setAlignment(Qt::AlignCenter);
  label->setEnabled(false);
  const DtuTextId title = row.tree_text;
  return {label, [label, title] { label->setText(DtuLangText(title)); }};
}

const std::vector<DtuPageViewRow> &DtuPageViews() { return kDtuPageViews; }
