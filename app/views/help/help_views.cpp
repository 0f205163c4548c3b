// The Help page in the view table: it has no logic object, its view is all
// there is.
#include "app/shell/page_views.h"
#include "app/views/help/help_view.h"

namespace {

DtuHostedView MakeHelpView(QObject *, const DtuPageCatalogRow &) {
  auto *view = new HelpView;
  return {view, [view] { view->UpdateLanguage(); }};
}

}  // namespace

DTU_VIEW_FAMILY(help, {DtuPageCode::kHelp, &MakeHelpView});
