#include "pages/dtu_page_catalog.h"

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
using T = DtuTextId;

// Tree order, which is also the order in which the page objects are built.
// "Aliyun MQTT" and "OneNET MQTT" sit under "Work Mode" so that their pages
// can be reached, and "Modbus Cache" under "Data Port-RS485".
const std::vector<DtuPageCatalogRow> kDtuPageCatalog = {
    {C::kRoot, T::kTreeDtuConfigTool, C::kNone, C::kCmdPort, nullptr, nullptr},
    {C::kCmdPort, T::kTreeConfigPort, C::kRoot, C::kCmdPort, nullptr, &DtuMakePage<DtuCmdPortPage>},
    {C::kDataPort, T::kTreeDataPort, C::kRoot, C::kDataPort, "dataport", &DtuMakePage<DtuDataPort>},
    {C::kUartParams, T::kTreeUartParams, C::kDataPort, C::kDataPort, nullptr, nullptr},
    {C::kModbus, T::kTreeModbusParams, C::kDataPort, C::kModbus, "modbus", &DtuMakePage<DtuModbus>},
    {C::kModbusCache, T::kTreeModbusCache, C::kDataPort, C::kModbusCache, "modbuscache", &DtuMakePage<DtuModbusCache>},
    {C::kDlt645, T::kTreeDlt645Meter, C::kDataPort, C::kDlt645, "dlt645", &DtuMakePage<DtuDLT645>},
    {C::kDevinfo, T::kTreeDeviceInfo, C::kRoot, C::kDevinfo, "devinfo", &DtuMakePage<DtuDevinfo>},
    {C::kNet, T::kTreeNetworkInfo, C::kRoot, C::kNet, "net", &DtuMakePage<DtuNet>},
    {C::kWorkMode, T::kTreeWorkMode, C::kRoot, C::kWorkMode, "workmode", &DtuMakePage<DtuWorkMode>},
    {C::kTcpUdp, T::kTreeTcpUdpMode, C::kWorkMode, C::kTcpUdp, "tcpudp", &DtuMakePage<DtuTcpUdp>},
    {C::kMqtt, T::kTreeMqttMode, C::kWorkMode, C::kMqtt, "mqtt", &DtuMakePage<DtuMqtt>},
    {C::kMqttAliyun, T::kTreeAliyunMqtt, C::kWorkMode, C::kMqttAliyun, "aliyun", &DtuMakePage<DtuMqttAliyun>},
    {C::kMqttOnenet, T::kTreeOnenetMqtt, C::kWorkMode, C::kMqttOnenet, "onenet", &DtuMakePage<DtuMqttOnenet>},
    {C::kBhu, T::kTreeBhu, C::kRoot, C::kBhu, "bhu", &DtuMakePage<DtuBhu>},
    {C::kVirtualSerial, T::kTreeVirtualSerial, C::kRoot, C::kVirtualSerial, nullptr, &DtuMakePage<VirtualSerialTool>},
    {C::kHelp, T::kTreeHelp, C::kRoot, C::kHelp, nullptr, nullptr},
};

}  // namespace

bool DtuPageCodeKnown(int code) {
  return code >= static_cast<int>(C::kRoot) && code <= static_cast<int>(C::kHelp);
}

const std::vector<DtuPageCatalogRow> &DtuPageCatalog() { return kDtuPageCatalog; }

const DtuPageCatalogRow *DtuPageCatalogFind(DtuPageCode code) {
  for (const DtuPageCatalogRow &row : kDtuPageCatalog) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

DtuPageCode DtuPageShownBy(int code) {
  if (!DtuPageCodeKnown(code)) return C::kCmdPort;
  const DtuPageCatalogRow *row = DtuPageCatalogFind(static_cast<DtuPageCode>(code));
  return row ? row->shows : static_cast<DtuPageCode>(code);
}
