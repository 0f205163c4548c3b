// The page rectangle inside the tab area: owns every page logic object (built
// in catalog order, pages/dtu_page_catalog.h) and every page view (from the
// view table, app/shell/page_views.h), and shows one page at a time by code.
// The logic objects exist from the start; a view is built inside its slot (an
// empty widget made at the start) the first time it is shown or asked for,
// so the window maps without building thirteen pages of widgets first.
#pragma once

#include <QList>
#include <QWidget>

#include <memory>
#include <vector>

#include "app/shell/page_views.h"
#include "pages/dtu_page_catalog.h"

class CmdPortView;
class DtuCmdPortPage;

class DtuPageHost : public QWidget {
  Q_OBJECT

 public:
  explicit DtuPageHost(QWidget *parent = nullptr);
  ~DtuPageHost() override;

  // Hides every page (each view's hidden hook runs, so the virtual serial
  // page leaves remote mode), then shows the page the code shows (the command
  // port for 0, 1 and unknown codes), building its view the first time, and
  // runs its shown hook (Virtual Serial: remote mode on). The page already on
  // view stays as it is: a language change re-shows it without its hooks,
  // so what was typed there stays.
  void ShowPage(int code);
  // Re-labels the views built so far, in table order.
  void UpdateLanguage();

  // The view shown for a code (built if it was not yet), null when the code
  // shows none.
  QWidget *PageForCode(int code) const;
  // The slot the view of a code sits in (its view may not be built yet).
  QWidget *SlotForCode(int code) const;
  // Every view, built if they were not yet.
  QList<QWidget *> Pages() const;
  // Views built so far.
  int BuiltViewCount() const;


  // The logic object of a catalog row, null when the row has none.
  QObject *Logic(DtuPageCode code) const;
  template <class Page>
  Page *LogicAs(DtuPageCode code) const {
    return qobject_cast<Page *>(Logic(code));
  }
  DtuCmdPortPage *CmdPortPage() const;
  CmdPortView *CmdPortPageView() const;

 signals:
  // A view was built into its slot (its buttons now exist).
  void ViewBuilt(QWidget *slot);

 private:
  struct OwnedPage {
    DtuPageCode code;
    std::unique_ptr<QObject> object;
  };
  struct Hosted {
    const DtuPageViewRow *row;
    const DtuPageCatalogRow *catalog_row;
    QWidget *slot;
    DtuHostedView hosted;  // view null until built
  };
  void BuildLogic();
  void BuildSlots();
  Hosted *HostedFor(DtuPageCode code) const;
  QWidget *Built(Hosted &hosted) const;

  std::vector<OwnedPage> logic_;  // catalog order; destroyed in reverse
  mutable std::vector<Hosted> views_;  // view table order; views built on demand
  const Hosted *on_view_ = nullptr;
};
