#include "app/shell/varnok_configure_tool_dlg.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/shell/about_dlg.h"
#include "app/shell/app_icon.h"
#include "app/shell/busy_status_bar.h"
#include "app/shell/device_menu.h"
#include "app/shell/file_menu.h"
#include "app/shell/page_host.h"
#include "app/views/cmd_port/cmd_port_view.h"
#include "base/dtu_lang.h"
#include "config/dtu_config.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/kit/dtu_page.h"
#include "pages/dtu_page_catalog.h"

namespace {

constexpr int kCodeRole = Qt::UserRole;

}  // namespace

CVarnokConfigureToolDlg::CVarnokConfigureToolDlg(QWidget *parent) : QMainWindow(parent) {
  BuildMenus();
  setWindowIcon(VarnokAppIcon());
  // The template lets every page's Save/Read Local work from the first run.
  // The language is set only after this step: a file that cannot be created
  // is reported in the table's first language, Chinese.
  DtuLangFlag = 0;
  DtuConfig::CreateDefaultFile(kConfigFileName);
  DtuLangFlag = 1;
  setWindowTitle(DtuLangText(DtuTextId::kWindowCaption));
  BuildCentralArea();
  BuildStatusBar();
  file_menu_ = new FileMenu(*this, language_menu_->menuAction());
  device_menu_ = new DeviceMenu(*this, language_menu_->menuAction(), *pages_, *file_menu_);
  BuildPageTree();
  ApplyLanguage();
  resize(1000, 640);
}

void CVarnokConfigureToolDlg::BuildMenus() {
  language_menu_ = menuBar()->addMenu(QString());
  auto *group = new QActionGroup(this);
  chinese_ = language_menu_->addAction(QStringLiteral("中文"));
  english_ = language_menu_->addAction(QStringLiteral("English"));
  for (QAction *action : {chinese_, english_}) {
    action->setCheckable(true);
    group->addAction(action);
  }
  english_->setChecked(true);
  connect(chinese_, &QAction::triggered, this, [this] { SetLanguage(0); });
  connect(english_, &QAction::triggered, this, [this] { SetLanguage(1); });

  help_menu_ = menuBar()->addMenu(QString());
  about_ = help_menu_->addAction(QString());
  connect(about_, &QAction::triggered, this, &CVarnokConfigureToolDlg::ShowAbout);
}

void CVarnokConfigureToolDlg::BuildCentralArea() {
  auto *central = new QWidget;
  auto *layout = new QHBoxLayout(central);
  tree_ = new QTreeWidget;
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setFixedWidth(210);
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CVarnokConfigureToolDlg::OnTreeSelectionChanged);

  tabs_ = new QTabWidget;
  pages_ = new DtuPageHost;
  auto *scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(pages_);
  tabs_->addTab(scroll, DtuLangText(DtuTextId::kTabDtuConfig));

  layout->addWidget(tree_);
  layout->addWidget(tabs_, 1);
  setCentralWidget(central);
}

void CVarnokConfigureToolDlg::BuildStatusBar() {
  busy_ = new BusyStatusBar(statusBar(), pages_->CmdPortPage());
  // Every read/set page of the catalog, named by its tree text; an item that
  // shows another item's page (UART Params) adds nothing.
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    auto *page = pages_->LogicAs<DtuPage>(row.code);
    if (page != nullptr && row.shows == row.code) {
      busy_->Follow(page, pages_->SlotForCode(static_cast<int>(row.code)), row.tree_text);
    }
  }
  // A view built while a page works gets its buttons held like the others.
  connect(pages_, &DtuPageHost::ViewBuilt, busy_, &BusyStatusBar::Reapply);
}

void CVarnokConfigureToolDlg::BuildPageTree() {
  QSignalBlocker block(tree_);
  tree_->clear();
  // The catalog lists every item after its parent.
  QHash<int, QTreeWidgetItem *> by_code;
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    const int code = static_cast<int>(row.code);
    QTreeWidgetItem *item = row.parent == DtuPageCode::kNone
                                ? new QTreeWidgetItem(tree_)
                                : new QTreeWidgetItem(by_code.value(static_cast<int>(row.parent)));
    item->setText(0, DtuLangText(row.tree_text));
    item->setData(0, kCodeRole, code);
    by_code.insert(code, item);
  }
  tree_->expandAll();
}

int CVarnokConfigureToolDlg::SelectedPageCode() const {
  QTreeWidgetItem *item = tree_->currentItem();
  if (item == nullptr || !item->isSelected()) {
    return 1;
  }
  return item->data(0, kCodeRole).toInt();
}

QTreeWidgetItem *CVarnokConfigureToolDlg::FindItemWithCode(int code) const {
  QTreeWidgetItemIterator it(tree_);
  for (; *it != nullptr; ++it) {
    if ((*it)->data(0, kCodeRole).toInt() == code) {
      return *it;
    }
  }
  return nullptr;
}

void CVarnokConfigureToolDlg::OnTreeSelectionChanged() { ShowPage(SelectedPageCode()); }

void CVarnokConfigureToolDlg::ShowPage(int code) { pages_->ShowPage(code); }

void CVarnokConfigureToolDlg::ApplyLanguage() {
  int code = SelectedPageCode();
  setUpdatesEnabled(false);
  setWindowTitle(DtuLangText(DtuTextId::kWindowCaption));
  BuildPageTree();
  QTreeWidgetItem *item = FindItemWithCode(code);
  if (item == nullptr) {
    item = tree_->topLevelItem(0);
    code = 0;
  }
  {
    QSignalBlocker block(tree_);
    tree_->setCurrentItem(item);
  }
  tabs_->setTabText(0, DtuLangText(DtuTextId::kTabDtuConfig));
  language_menu_->setTitle(DtuLangText(DtuTextId::kLanguageMenu));
  help_menu_->setTitle(DtuLangText(DtuTextId::kTreeHelp));
  about_->setText(DtuLangText(DtuTextId::kAboutMenuItem));
  pages_->UpdateLanguage();
  busy_->UpdateLanguage();
  file_menu_->UpdateLanguage();
  device_menu_->UpdateLanguage();
  ShowPage(code);
  setUpdatesEnabled(true);
  update();
}

void CVarnokConfigureToolDlg::SetLanguage(int flag) {
  DtuLangFlag = flag;
  (flag == 1 ? english_ : chinese_)->setChecked(true);
  ApplyLanguage();
}

void CVarnokConfigureToolDlg::PresetPort(const QString &path) {
  pages_->CmdPortPage()->AddKnownPort(path);
  pages_->CmdPortPageView()->SelectPort(path);
}

bool CVarnokConfigureToolDlg::SelectPage(int code) {
  QTreeWidgetItem *item = FindItemWithCode(code);
  if (item == nullptr) return false;
  tree_->setCurrentItem(item);
  return true;
}

void CVarnokConfigureToolDlg::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}
