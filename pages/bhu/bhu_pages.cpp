// The business packet page in the catalog.
#include "pages/bhu/dtu_bhu.h"
#include "pages/dtu_page_catalog.h"

DTU_PAGE_FAMILY(bhu, {DtuPageCode::kBhu, DtuTextId::kTreeBhu, DtuPageCode::kRoot, DtuPageCode::kBhu, "bhu",
                      &DtuMakePage<DtuBhu>});
