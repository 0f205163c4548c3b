// The business packet page's view in the view table.
#include "app/shell/page_views.h"
#include "app/views/bhu/bhu_view.h"
#include "pages/bhu/dtu_bhu.h"

DTU_VIEW_FAMILY(bhu, {DtuPageCode::kBhu, &DtuMakeView<BhuView, DtuBhu>});
