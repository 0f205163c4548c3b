// The page rectangle inside the tab area: owns every page logic object (built
// in catalog order, pages/dtu_page_catalog.h) and every page view (built from
// the view table, app/shell/page_views.h), and shows one page at a time by code.
#pragma once

#include <QList>
#include <QWidget>

#include <memory>
#include <vector>

#include "app/shell/page_views.h"
#include "pages/dtu_page_catalog.h"

class CmdPortView;
class DtuCmdPortPage;
class VirtualSerialTool;

class DtuPageHost : public QWidget {
  Q_OBJECT

 public:
  explicit DtuPageHost(QWidget *parent = nullptr);
  ~DtuPageHost() override;

  // Hides every page (each view's hidden hook runs, so the virtual serial
  // page leaves remote mode), then shows the page the code shows (none for 5,
  // 6 and 16; the command port for 0, 1 and unknown codes) and runs its shown
  // hook (Virtual Serial: remote mode on).
  void ShowPage(int code);
  // Re-labels the pages in the order they were built.
  void UpdateLanguage();

  // The page shown for a code, null when the code shows none.
  QWidget *PageForCode(int code) const;
  QList<QWidget *> Pages() const;

  // The logic object of a catalog row, null when the row has none.
  QObject *Logic(DtuPageCode code) const;
  template <class Page>
  Page *LogicAs(DtuPageCode code) const {
    return qobject_cast<Page *>(Logic(code));
  }
  DtuCmdPortPage *CmdPortPage() const;
  CmdPortView *CmdPortPageView() const;
  VirtualSerialTool *VirtualSerialPage() const;

 private:
  struct OwnedPage {
    DtuPageCode code;
    std::unique_ptr<QObject> object;
  };
  struct Hosted {
    const DtuPageViewRow *row;
    DtuHostedView hosted;
  };
  void BuildLogic();
  void BuildViews();
  const Hosted *HostedFor(DtuPageCode code) const;

  std::vector<OwnedPage> logic_;  // catalog order; destroyed in reverse
  std::vector<Hosted> views_;  // view table order
};
