// The DL/T 645 meter page in the catalog, under "Data Port-RS485".
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dtu_page_catalog.h"

DTU_PAGE_FAMILY(dlt645, {DtuPageCode::kDlt645, DtuTextId::kTreeDlt645Meter, DtuPageCode::kDataPort,
                         DtuPageCode::kDlt645, "dlt645", &DtuMakePage<DtuDLT645>});
