// The kit page's view: the generic field table.
#include "app/shell/page_views.h"
#include "app/views/kit/field_table_view.h"
#include "base/dtu_lang.h"
#include "tests/pages/kit_page/kit_page.h"

namespace {

class KitPageView : public FieldTableView {
 public:
  explicit KitPageView(KitPage *page) : FieldTableView(page, DtuLangAddText("Kit", "套件"), std::nullopt, nullptr) {}
};

}  // namespace

DTU_VIEW_FAMILY(kit_page, {kKitPageCode, &DtuMakeView<KitPageView, KitPage>});
