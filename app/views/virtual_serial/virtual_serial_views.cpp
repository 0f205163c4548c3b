// The Virtual Serial page's view in the view table. While it is on view,
// received serial text goes to the cloud link instead of the pages, and the
// page reloads its account.
#include "app/shell/page_views.h"
#include "app/views/virtual_serial/virtual_serial_view.h"
#include "pages/virtual_serial/virtual_serial_tool.h"

namespace {

void Shown(QObject *logic) { qobject_cast<VirtualSerialTool *>(logic)->SetOnView(true); }
void Hidden(QObject *logic) { qobject_cast<VirtualSerialTool *>(logic)->SetOnView(false); }

}  // namespace

DTU_VIEW_FAMILY(virtual_serial, {DtuPageCode::kVirtualSerial, &DtuMakeView<VirtualSerialView, VirtualSerialTool>,
                                 &Shown, &Hidden});
