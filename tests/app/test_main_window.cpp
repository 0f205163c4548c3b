// The main window: start-up state, page navigation, remote mode, languages.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QComboBox>
#include <QFileInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

#include "app/shell/about_dlg.h"
#include "app/views/kit/field_table_view.h"
#include "app/views/cmd_port/cmd_port_view.h"
#include "app/views/help/help_view.h"
#include "app/views/settings/devinfo_view.h"
#include "app/views/dlt645/dlt645_view.h"
#include "app/views/modbus/modbus_cache_view.h"
#include "app/views/modbus/modbus_view.h"
#include "app/views/settings/net_view.h"
#include "app/views/settings/tcp_udp_view.h"
#include "app/views/settings/work_mode_view.h"
#include "app_fixture.h"
#include "link/dtu_cmd_resp_table.h"

TEST_F(MainWindowTest, StartsExpandedOnConfigPortWithOnlyTheCommandPortPageVisible) {
  EXPECT_EQ(DtuLangFlag.load(), 1);
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("ZevModel_DurUvaVede_Rev-2.0.25"));
  EXPECT_EQ(window_->TabArea()->count(), 1);
  EXPECT_EQ(window_->TabArea()->tabText(0), QStringLiteral("DTU Config"));
  EXPECT_TRUE(QFileInfo::exists(CVarnokConfigureToolDlg::kConfigFileName));

  int parents = 0;
  for (QTreeWidgetItemIterator it(window_->PageTree()); *it != nullptr; ++it) {
    if ((*it)->childCount() > 0) {
      ++parents;
      EXPECT_TRUE((*it)->isExpanded()) << (*it)->text(0).toStdString();
    }
  }
  EXPECT_EQ(parents, 3);  // the root, "Data Port-RS485" and "Work Mode"

  QList<QTreeWidgetItem *> selected = window_->PageTree()->selectedItems();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected[0]->text(0), QStringLiteral("Config Port"));
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], window_->Pages()->CmdPortPageView());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MainWindowTest, TreeItemsShowTheirPagesAndHelpShowsItsOwn) {
  Select("Help");
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_NE(qobject_cast<HelpView *>(VisiblePages()[0]), nullptr);

  Select("Data Port-RS485");
  QWidget *data_port = window_->Pages()->PageForCode(2);
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], data_port);
  Select("UART Params");
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], data_port);

  // The two items that lead to the Aliyun and OneNET pages.
  Select("Aliyun MQTT");
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], window_->Pages()->PageForCode(12));
  Select("OneNET MQTT");
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], window_->Pages()->PageForCode(13));
  EXPECT_NE(window_->Pages()->PageForCode(12), window_->Pages()->PageForCode(13));

  // The root item and unknown codes fall back to the command port page.
  Select("DTU Config Tool");
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], window_->Pages()->CmdPortPageView());
  window_->ShowPage(99);
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], window_->Pages()->CmdPortPageView());
}

TEST_F(MainWindowTest, EachPageCodeHostsItsPageView) {
  DtuPageHost *pages = window_->Pages();
  // The data port and MQTT pages are their field tables alone.
  for (int code : {2, 11, 12, 13}) EXPECT_NE(qobject_cast<FieldTableView *>(pages->PageForCode(code)), nullptr) << code;
  EXPECT_EQ(pages->PageForCode(2), pages->PageForCode(3));
  EXPECT_NE(qobject_cast<DevinfoView *>(pages->PageForCode(7)), nullptr);
  EXPECT_NE(qobject_cast<NetView *>(pages->PageForCode(8)), nullptr);
  EXPECT_NE(qobject_cast<WorkModeView *>(pages->PageForCode(9)), nullptr);
  EXPECT_NE(qobject_cast<TcpUdpView *>(pages->PageForCode(10)), nullptr);
  EXPECT_NE(qobject_cast<ModbusView *>(pages->PageForCode(4)), nullptr);
  EXPECT_NE(qobject_cast<ModbusCacheView *>(pages->PageForCode(5)), nullptr);
  EXPECT_NE(qobject_cast<Dlt645View *>(pages->PageForCode(6)), nullptr);
  EXPECT_NE(qobject_cast<HelpView *>(pages->PageForCode(16)), nullptr);
  // Fifteen page windows: the command port, the twelve settings pages, the
  // virtual serial page and the help page.
  EXPECT_EQ(pages->Pages().size(), 15);
}

TEST_F(MainWindowTest, ViewsAreBuiltWhenFirstShownAndThePageObjectsExistFromTheStart) {
  DtuPageHost *pages = window_->Pages();
  EXPECT_EQ(pages->BuiltViewCount(), 1) << "only the command port page is on view";
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.make == nullptr) continue;
    EXPECT_NE(pages->Logic(row.code), nullptr) << static_cast<int>(row.code);
  }
  Select("Device Info");
  EXPECT_EQ(pages->BuiltViewCount(), 2);
  Select("Config Port");
  Select("Device Info");
  EXPECT_EQ(pages->BuiltViewCount(), 2) << "a view is built once";
}

TEST_F(MainWindowTest, VirtualSerialSetsRemoteModeAndEveryOtherItemClearsIt) {
  EXPECT_FALSE(DtuCmdRemoteMode());
  for (const char *other : {"Device Info", "Help", "BHU", "Config Port", "MQTT Mode"}) {
    Select("Virtual Serial");
    EXPECT_TRUE(DtuCmdRemoteMode());
    Select(other);
    EXPECT_FALSE(DtuCmdRemoteMode()) << other;
  }
}

TEST_F(MainWindowTest, TextLookupGivesEmptyForMissingIdsAndFollowsTheLanguage) {
  EXPECT_STREQ(DtuLangText(228), "");
  EXPECT_STREQ(DtuLangText(229), "");
  EXPECT_STREQ(DtuLangText(145), "Read local config succeeded!");
  DtuLangFlag = 0;
  EXPECT_STREQ(DtuLangText(145), "读取本地配置成功!");
  EXPECT_STREQ(DtuLangText(228), "");
}

TEST_F(MainWindowTest, LanguageMenuRelabelsEverythingAndKeepsTheSelectedPage) {
  QComboBox *dial_type = nullptr;
  for (QComboBox *list : window_->Pages()->PageForCode(8)->findChildren<QComboBox *>()) {
    if (list->findText("Manual APN") >= 0) {
      dial_type = list;
    }
  }
  ASSERT_NE(dial_type, nullptr);
  dial_type->setCurrentIndex(dial_type->findText("Manual APN"));
  Select("Device Info");
  QWidget *devinfo = window_->Pages()->PageForCode(7);
  CmdPortView *cmd_view = window_->Pages()->CmdPortPageView();

  window_->ChineseAction()->trigger();
  EXPECT_EQ(DtuLangFlag.load(), 0);
  EXPECT_EQ(window_->TabArea()->tabText(0), QStringLiteral("DTU配置"));
  EXPECT_NE(ItemWithText(QStringLiteral("配置串口")), nullptr);
  EXPECT_EQ(ItemWithText(QStringLiteral("Config Port")), nullptr);
  ASSERT_EQ(window_->PageTree()->selectedItems().size(), 1);
  EXPECT_EQ(window_->PageTree()->selectedItems()[0]->text(0), QStringLiteral("设备信息"));
  ASSERT_EQ(VisiblePages().size(), 1);
  EXPECT_EQ(VisiblePages()[0], devinfo);
  EXPECT_EQ(cmd_view->OpenCloseButton()->text(), QStringLiteral("打开串口"));
  EXPECT_EQ(cmd_view->SendButton()->text(), QStringLiteral("发送命令"));
  EXPECT_TRUE(window_->ChineseAction()->isChecked());
  EXPECT_EQ(dial_type->currentText(), QStringLiteral("手动APN"));  // lists keep their selection

  window_->EnglishAction()->trigger();
  EXPECT_EQ(DtuLangFlag.load(), 1);
  EXPECT_EQ(window_->PageTree()->selectedItems()[0]->text(0), QStringLiteral("Device Info"));
  EXPECT_EQ(cmd_view->OpenCloseButton()->text(), QStringLiteral("Open Port"));
  EXPECT_EQ(cmd_view->ClearReceiveButton()->text(), QStringLiteral("Clear Receive Data"));
  EXPECT_TRUE(window_->menuBar()->isVisible());
}

TEST_F(MainWindowTest, AboutBoxNamesTheToolAndItsVersion) {
  QString caption;
  QStringList texts;
  const auto read_box = [&] {
    auto *about = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget());
    if (about == nullptr) {
      return;
    }
    caption = about->windowTitle();
    for (QLabel *label : about->findChildren<QLabel *>()) {
      texts << label->text();
    }
    for (QPushButton *button : about->findChildren<QPushButton *>()) {
      texts << button->text();
    }
    about->accept();
  };
  QTimer::singleShot(50, read_box);
  window_->ShowAbout();  // modal: returns once the box is closed
  EXPECT_EQ(caption, QStringLiteral("About Varnok-Configure-Tool"));
  EXPECT_TRUE(texts.contains(QStringLiteral("Varnok-Configure-Tool, version 1.0")));
  EXPECT_TRUE(texts.contains(QStringLiteral("OK")));
  EXPECT_EQ(window_->AboutAction()->text(), QStringLiteral("About Varnok-Configure-Tool(&A)..."));

  window_->SetLanguage(0);
  caption.clear();
  texts.clear();
  QTimer::singleShot(50, read_box);
  window_->ShowAbout();
  EXPECT_EQ(caption, QStringLiteral("关于 Varnok-Configure-Tool"));
  EXPECT_TRUE(texts.contains(QStringLiteral("Varnok-Configure-Tool，1.0 版")));
  EXPECT_TRUE(texts.contains(QStringLiteral("确定")));
  EXPECT_EQ(window_->AboutAction()->text(), QStringLiteral("关于 Varnok-Configure-Tool(&A)..."));
}
