// The view table: for each page code of the catalog (pages/dtu_page_catalog.h)
// the widget view that shows its page, and what the page does when it comes
// into view or leaves it. Rows in catalog order (the order of their codes);
// the host builds the views' slots in this order. A code with no row shows
// nothing.
//
// Each view family fills it from its own folder (app/views/<family>/, one
// registration in any .cpp there, <family>_views.cpp by custom):
//
//   DTU_VIEW_FAMILY(net, {DtuPageCode::kNet, &DtuMakeView<NetView, DtuNet>});
//
// app/CMakeLists.txt keeps every family folder's registration in every
// program that uses the table (a folder under app/views/ other than kit/ is
// a family and registers).
#pragma once

#include <QObject>
#include <QWidget>

#include <functional>
#include <vector>

#include "pages/dtu_page_catalog.h"

struct DtuHostedView {
  QWidget *view = nullptr;
  std::function<void()> update_language;
};

// Builds the view of a page; `logic` is the row's page object (null for a
// page that has none yet).
using DtuViewFactory = DtuHostedView (*)(QObject *logic, const DtuPageCatalogRow &row);

// The usual factory: a View constructed on its Page.
template <class View, class Page>
DtuHostedView DtuMakeView(QObject *logic, const DtuPageCatalogRow &) {
  auto *view = new View(qobject_cast<Page *>(logic));
  return {view, [view] { view->UpdateLanguage(); }};
}

// What a page does as it comes into view or leaves it; `logic` as above.
using DtuViewHook = void (*)(QObject *logic);

struct DtuPageViewRow {
  DtuPageCode code;
  DtuViewFactory make;
  DtuViewHook shown = nullptr;   // after the view was shown
  DtuViewHook hidden = nullptr;  // on every page change, whichever page was on view
};

// Every registered row, in catalog order.
const std::vector<DtuPageViewRow> &DtuPageViews();

// Adds a family's rows (DTU_VIEW_FAMILY does it while the program starts); a
// row whose code already has one is left out, with a line in the log.
// Returns the number of rows added.
int DtuRegisterViews(const std::vector<DtuPageViewRow> &rows);

// One view family's registration; as DTU_PAGE_FAMILY.
#define DTU_VIEW_FAMILY(family, ...)       \
  extern const int kDtuViewFamily_##family; \
  const int kDtuViewFamily_##family = DtuRegisterViews({__VA_ARGS__})
