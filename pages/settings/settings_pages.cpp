// The settings pages in the catalog. "UART Params" shows the data port page.
#include "pages/dtu_page_catalog.h"
#include "pages/settings/dtu_data_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/settings/dtu_net.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"

namespace {
using C = DtuPageCode;
using T = DtuTextId;
}  // namespace

DTU_PAGE_FAMILY(settings,
                {C::kDataPort, T::kTreeDataPort, C::kRoot, C::kDataPort, "dataport", &DtuMakePage<DtuDataPort>},
                {C::kUartParams, T::kTreeUartParams, C::kDataPort, C::kDataPort, nullptr, nullptr},
                {C::kDevinfo, T::kTreeDeviceInfo, C::kRoot, C::kDevinfo, "devinfo", &DtuMakePage<DtuDevinfo>},
                {C::kNet, T::kTreeNetworkInfo, C::kRoot, C::kNet, "net", &DtuMakePage<DtuNet>},
                {C::kWorkMode, T::kTreeWorkMode, C::kRoot, C::kWorkMode, "workmode", &DtuMakePage<DtuWorkMode>},
                {C::kTcpUdp, T::kTreeTcpUdpMode, C::kWorkMode, C::kTcpUdp, "tcpudp", &DtuMakePage<DtuTcpUdp>});
