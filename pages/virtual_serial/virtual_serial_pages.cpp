// The Virtual Serial page in the catalog; varnokctl has no use for it.
#include "pages/dtu_page_catalog.h"
#include "pages/virtual_serial/virtual_serial_tool.h"

DTU_PAGE_FAMILY(virtual_serial, {DtuPageCode::kVirtualSerial, DtuTextId::kTreeVirtualSerial, DtuPageCode::kRoot,
                                 DtuPageCode::kVirtualSerial, nullptr, &DtuMakePage<VirtualSerialTool>});
