#include "app/varnok_configure_tool_dlg.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/about_dlg.h"
#include "app/busy_status_bar.h"
#include "app/app_icon.h"
#include "app/page_host.h"
#include "app/views/cmd_port_view.h"
#include "base/dtu_lang.h"
#include "config/dtu_config.h"
#include "pages/dtu_cmd_port_page.h"
#include "pages/dtu_data_port.h"
#include "pages/dtu_devinfo.h"
#include "pages/dtu_mqtt.h"
#include "pages/dtu_mqtt_aliyun.h"
#include "pages/dtu_mqtt_onenet.h"
#include "pages/dtu_net.h"
#include "pages/dtu_tcp_udp.h"
#include "pages/dtu_work_mode.h"

namespace {

constexpr int kCodeRole = Qt::UserRole;

struct TreeRow {
  int text_id;
  int parent_text_id;  // -1: under the root item; -2: the root itself
  int code;
};

// The page tree. "Aliyun MQTT" and "OneNET MQTT" sit under "Work Mode" so
// that their pages can be reached.
const TreeRow kTreeRows[] = {
    {2, -2, 0},  {3, -1, 1},  {4, -1, 2},  {5, 4, 3},    {7, 4, 4},    {700, 4, 6},  {9, -1, 7},   {10, -1, 8},
    {11, -1, 9}, {12, 11, 10}, {13, 11, 11}, {275, 11, 12}, {276, 11, 13}, {16, -1, 14}, {17, -1, 15},
    {18, -1, 16},
};

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
  setWindowTitle(DtuLangText(0));
  BuildCentralArea();
  BuildStatusBar();
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
  QAction *about = help_menu_->addAction(QStringLiteral("关于 Varnok-Configure-Tool(&A)..."));
  connect(about, &QAction::triggered, this, &CVarnokConfigureToolDlg::ShowAbout);
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
  tabs_->addTab(scroll, DtuLangText(1));

  layout->addWidget(tree_);
  layout->addWidget(tabs_, 1);
  setCentralWidget(central);
}

void CVarnokConfigureToolDlg::BuildStatusBar() {
  busy_ = new BusyStatusBar(statusBar(), pages_->CmdPortPage());
  // Page code, page, tree text naming it.
  const struct {
    int code;
    DtuPage *page;
    int title_text_id;
  } followed[] = {
      {2, pages_->DataPortPage(), 4},   {7, pages_->DevinfoPage(), 9},    {8, pages_->NetPage(), 10},
      {9, pages_->WorkModePage(), 11},  {10, pages_->TcpUdpPage(), 12},   {11, pages_->MqttPage(), 13},
      {12, pages_->MqttAliyunPage(), 275}, {13, pages_->MqttOnenetPage(), 276},
  };
  for (const auto &f : followed) busy_->Follow(f.page, pages_->PageForCode(f.code), f.title_text_id);
}

void CVarnokConfigureToolDlg::BuildPageTree() {
  QSignalBlocker block(tree_);
  tree_->clear();
  QTreeWidgetItem *root = nullptr;
  QHash<int, QTreeWidgetItem *> by_text;
  for (const TreeRow &row : kTreeRows) {
    QTreeWidgetItem *item = nullptr;
    if (row.parent_text_id == -2) {
      item = root = new QTreeWidgetItem(tree_);
    } else if (row.parent_text_id == -1) {
      item = new QTreeWidgetItem(root);
    } else {
      item = new QTreeWidgetItem(by_text.value(row.parent_text_id));
    }
    item->setText(0, DtuLangText(row.text_id));
    item->setData(0, kCodeRole, row.code);
    by_text.insert(row.text_id, item);
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
  setWindowTitle(DtuLangText(0));
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
  tabs_->setTabText(0, DtuLangText(1));
  language_menu_->setTitle(DtuLangText(271));
  help_menu_->setTitle(DtuLangText(18));
  pages_->UpdateLanguage();
  busy_->UpdateLanguage();
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
