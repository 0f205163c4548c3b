// The Config Port page in the catalog.
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/dtu_page_catalog.h"

DTU_PAGE_FAMILY(cmd_port, {DtuPageCode::kCmdPort, DtuTextId::kTreeConfigPort, DtuPageCode::kRoot, DtuPageCode::kCmdPort,
                           nullptr, &DtuMakePage<DtuCmdPortPage>});
