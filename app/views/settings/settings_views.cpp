// The settings pages' views in the view table.
#include "app/shell/page_views.h"
#include "app/views/kit/field_table_view.h"
#include "app/views/settings/devinfo_view.h"
#include "app/views/settings/net_view.h"
#include "app/views/settings/tcp_udp_view.h"
#include "app/views/settings/work_mode_view.h"
#include "pages/settings/dtu_data_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/settings/dtu_net.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"

namespace {
using C = DtuPageCode;
constexpr FieldTableTexts kDataPortTexts{DtuTextId::kDataPortGroup, std::nullopt};
}  // namespace

DTU_VIEW_FAMILY(settings, {C::kDataPort, &DtuMakeView<FieldTableViewOf<kDataPortTexts>, DtuDataPort>},
                {C::kDevinfo, &DtuMakeView<DevinfoView, DtuDevinfo>}, {C::kNet, &DtuMakeView<NetView, DtuNet>},
                {C::kWorkMode, &DtuMakeView<WorkModeView, DtuWorkMode>},
                {C::kTcpUdp, &DtuMakeView<TcpUdpView, DtuTcpUdp>});
