// The Config Port page's view in the view table.
#include "app/shell/page_views.h"
#include "app/views/cmd_port/cmd_port_view.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"

DTU_VIEW_FAMILY(cmd_port, {DtuPageCode::kCmdPort, &DtuMakeView<CmdPortView, DtuCmdPortPage>});
