#include "app/shell/page_host.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "app/views/cmd_port/cmd_port_view.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"

DtuPageHost::DtuPageHost(QWidget *parent) : QWidget(parent) {
  auto *layout = new QGridLayout(this);
  layout->setContentsMargins(2, 2, 2, 3);
  BuildLogic();
  BuildSlots();
}

DtuPageHost::~DtuPageHost() {
  // Views go first: they hold pointers to the page logic. Then the pages, in
  // reverse order of construction.
  for (Hosted &hosted : views_) delete hosted.slot;
  views_.clear();
  while (!logic_.empty()) logic_.pop_back();
}

void DtuPageHost::BuildLogic() {
  // Catalog order is the order in which the answer handlers' page
  // references come to be.
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.make != nullptr) logic_.push_back({row.code, row.make()});
  }
  // Pages that work together in one host (the Modbus pages' switches).
  for (DtuPageJoin join : DtuPageJoins()) join([this](DtuPageCode code) { return Logic(code); });
}

void DtuPageHost::BuildSlots() {
  auto *grid = static_cast<QGridLayout *>(layout());
  for (const DtuPageViewRow &row : DtuPageViews()) {
    const DtuPageCatalogRow *catalog_row = DtuPageCatalogFind(row.code);
    if (catalog_row == nullptr) continue;
    // Every page sits in the same cell; only the visible one takes space.
    auto *slot = new QWidget(this);
    auto *slot_layout = new QVBoxLayout(slot);
    slot_layout->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(slot, 0, 0);
    slot->hide();
    views_.push_back({&row, catalog_row, slot, DtuHostedView()});
  }
}

QWidget *DtuPageHost::Built(Hosted &hosted) const {
  if (hosted.hosted.view == nullptr) {
    hosted.hosted = hosted.row->make(Logic(hosted.row->code), *hosted.catalog_row);
    hosted.slot->layout()->addWidget(hosted.hosted.view);
    // A Q_EMIT from a const accessor: the view appeared, whoever asked.
    emit const_cast<DtuPageHost *>(this)->ViewBuilt(hosted.slot);
  }
  return hosted.hosted.view;
}

void DtuPageHost::UpdateLanguage() {
  for (const Hosted &hosted : views_) {
    if (hosted.hosted.view != nullptr) hosted.hosted.update_language();
  }
}

QObject *DtuPageHost::Logic(DtuPageCode code) const {
  for (const OwnedPage &logic : logic_) {
    if (logic.code == code) return logic.object.get();
  }
  return nullptr;
}

DtuCmdPortPage *DtuPageHost::CmdPortPage() const { return LogicAs<DtuCmdPortPage>(DtuPageCode::kCmdPort); }

CmdPortView *DtuPageHost::CmdPortPageView() const {
  return qobject_cast<CmdPortView *>(PageForCode(static_cast<int>(DtuPageCode::kCmdPort)));
}

DtuPageHost::Hosted *DtuPageHost::HostedFor(DtuPageCode code) const {
  for (Hosted &hosted : views_) {
    if (hosted.row->code == code) return &hosted;
  }
  return nullptr;
}

QWidget *DtuPageHost::PageForCode(int code) const {
  Hosted *hosted = HostedFor(DtuPageShownBy(code));
  return hosted ? Built(*hosted) : nullptr;
}

QWidget *DtuPageHost::SlotForCode(int code) const {
  const Hosted *hosted = HostedFor(DtuPageShownBy(code));
  return hosted ? hosted->slot : nullptr;
}

void DtuPageHost::ShowPage(int code) {
  Hosted *shown = HostedFor(DtuPageShownBy(code));
  if (shown != nullptr && shown == on_view_) return;
  for (const Hosted &hosted : views_) {
    hosted.slot->hide();
    if (hosted.row->hidden != nullptr) hosted.row->hidden(Logic(hosted.row->code));
  }
  on_view_ = shown;
  if (shown == nullptr) return;
  Built(*shown);
  shown->slot->show();
  if (shown->row->shown != nullptr) shown->row->shown(Logic(shown->row->code));
}

QList<QWidget *> DtuPageHost::Pages() const {
  QList<QWidget *> pages;
  for (Hosted &hosted : views_) pages.append(Built(hosted));
  return pages;
}

int DtuPageHost::BuiltViewCount() const {
  int built = 0;
  for (const Hosted &hosted : views_) built += hosted.hosted.view != nullptr ? 1 : 0;
  return built;
}
