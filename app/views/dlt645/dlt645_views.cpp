// The DL/T 645 meter page's view in the view table.
#include "app/shell/page_views.h"
#include "app/views/dlt645/dlt645_view.h"
#include "pages/dlt645/dtu_dlt645.h"

DTU_VIEW_FAMILY(dlt645, {DtuPageCode::kDlt645, &DtuMakeView<Dlt645View, DtuDLT645>});
