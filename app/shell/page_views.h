// The view table: for each page code of the catalog (pages/dtu_page_catalog.h)
// the widget view that shows its page, and what the page does when it comes
// into view or leaves it. Rows in catalog order; the host builds the views in
// this order. A code with no row shows nothing.
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

const std::vector<DtuPageViewRow> &DtuPageViews();
