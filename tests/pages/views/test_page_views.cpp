// The page views: widgets follow the page model (answers, Read Local) and
// what the user does reaches the model; visibility rules; re-labelling.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/views/kit/field_table_view.h"
#include "app/views/settings/devinfo_view.h"
#include "app/views/settings/net_view.h"
#include "app/views/settings/tcp_udp_view.h"
#include "app/views/settings/work_mode_view.h"
#include "base/dtu_lang.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"
#include "pages/settings/dtu_net.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"
#include "tests/pages/page_test_support.h"

namespace {

template <class W>
W *Child(QWidget &view, const char *name) {
  W *w = view.findChild<W *>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// Picks an entry the way a user does (the list's activated signal).
void Choose(QComboBox *box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

class PageViews : public PageTest {};

}  // namespace

TEST_F(PageViews, TypedTextReachesThePageAndAnswersReachTheWidgets) {
  DtuMqttOnenet page;
  FieldTableView view(&page, DtuTextId::kOnenetGroup, DtuTextId::kOnenetDeviceKeyHint, nullptr);
  QLineEdit *device = Child<QLineEdit>(view, "DeviceName");
  QTest::keyClicks(device, "dev-1");
  EXPECT_EQ(page.Text(DtuMqttOnenet::kDeviceName), "dev-1");
  Answer("onenet-mqtt-deviceName : dev-2");
  EXPECT_EQ(device->text(), "dev-2");
}

TEST_F(PageViews, NetFieldsShowOnlyForAManualApn) {
  DtuNet page;
  NetView view(&page);
  view.show();
  QLineEdit *apn = Child<QLineEdit>(view, "APN");
  EXPECT_FALSE(apn->isVisible()) << "Auto APN at start";
  Choose(Child<QComboBox>(view, "DialType"), 1);
  EXPECT_EQ(page.Model().dial_type, 1);
  EXPECT_TRUE(apn->isVisible());
  Answer("netInfo : apn:auto&username: &pwd: &");
  EXPECT_EQ(Child<QComboBox>(view, "DialType")->currentIndex(), 0);
  EXPECT_FALSE(apn->isVisible());
  EXPECT_EQ(Child<QLineEdit>(view, "Username")->text(), " ");
}

TEST_F(PageViews, TcpTypeTwoHidesKeyAndSecret) {
  DtuTcpUdp page;
  TcpUdpView view(&page);
  view.show();
  QLineEdit *key = Child<QLineEdit>(view, "TcpProductKey");
  EXPECT_TRUE(key->isVisible());
  Answer("tcp-productkey : PK");
  Answer("tcp-type : 2");
  EXPECT_FALSE(key->isVisible());
  EXPECT_EQ(key->text(), "PK");
  EXPECT_TRUE(Child<QLineEdit>(view, "UdpProductKey")->isVisible());
  Choose(Child<QComboBox>(view, "TcpType"), 0);
  EXPECT_TRUE(key->isVisible());
}

TEST_F(PageViews, WorkModeOutsideTheListAndLanguageChange) {
  DtuWorkMode page;
  WorkModeView view(&page);
  QComboBox *mode = Child<QComboBox>(view, "WorkMode");
  Answer("mqtt-channel : 7");
  EXPECT_EQ(mode->currentIndex(), -1);
  DtuLangFlag = 0;
  view.UpdateLanguage();
  EXPECT_EQ(mode->itemText(0), QString::fromUtf8("Unknow"));
  EXPECT_EQ(mode->currentIndex(), 0) << "an invalid selection becomes the first entry";
  EXPECT_EQ(page.Model().mode, 0);
  EXPECT_EQ(Child<QPushButton>(view, "Set")->text(), QString::fromUtf8("配置"));
  DtuLangFlag = 1;
  Answer("mqtt-channel : 3");
  view.UpdateLanguage();
  EXPECT_EQ(mode->currentIndex(), 3) << "a language change keeps the selection";
}

TEST_F(PageViews, DevinfoButtonsRunThePageOperations) {
  DtuDevinfo page;
  DevinfoView view(&page);
  EXPECT_EQ(Child<QPushButton>(view, "Reboot")->text(), "Reboot");
  QTest::mouseClick(Child<QPushButton>(view, "Read"), Qt::LeftButton);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Config serial port is not open");
  Choose(Child<QComboBox>(view, "LogLevel"), 0);
  EXPECT_EQ(page.Model().log_level, 0);
  Answer("remoteCfgInfo : 100001883abc");
  EXPECT_EQ(Child<QLineEdit>(view, "RemoteCfgServer")->text(), "abc");
  EXPECT_EQ(Child<QComboBox>(view, "RemoteCfgSwitch")->currentIndex(), 1);
  EXPECT_TRUE(Child<QLineEdit>(view, "IMEI")->isReadOnly());
}
