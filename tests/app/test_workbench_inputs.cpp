// The window's inputs take what the device takes: numbers the device's format
// bounds are typed within their range or chosen from a list, "Unknown" is no
// work mode to set, Manual APN starts empty, and the DL/T 645 page shows
// headings only over rows and its switch OFF first, as every page does.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

#include "app_fixture.h"
#include "pages/settings/dtu_net.h"

namespace {

QStringList Entries(const QComboBox *box) {
  QStringList entries;
  for (int i = 0; i < box->count(); ++i) entries << box->itemText(i);
  return entries;
}

void Choose(QComboBox *box, int row) {
  box->setCurrentIndex(row);
  emit box->activated(row);
}

struct TypedCase {
  const char *name;
  int page;
  const char *field;
  const char *typed;
  const char *kept;
};
void PrintTo(const TypedCase &c, std::ostream *os) { *os << c.name; }

class WorkbenchTyped : public MainWindowTest, public ::testing::WithParamInterface<TypedCase> {};

}  // namespace

TEST_P(WorkbenchTyped, NumbersAreTypedWithinTheDevicesRange) {
  const TypedCase &c = GetParam();
  ASSERT_TRUE(window_->SelectPage(c.page));
  auto *edit = window_->Pages()->PageForCode(c.page)->findChild<QLineEdit *>(c.field);
  ASSERT_NE(edit, nullptr);
  edit->clear();
  QTest::keyClicks(edit, c.typed);
  EXPECT_EQ(edit->text(), c.kept);
  std::string value;
  ASSERT_TRUE(window_->Pages()->LogicAs<DtuPage>(static_cast<DtuPageCode>(c.page))->GetField(c.field, value));
  EXPECT_EQ(value, c.kept) << "the page holds what the field shows";
}

INSTANTIATE_TEST_SUITE_P(Workbench, WorkbenchTyped,
                         ::testing::Values(TypedCase{"PortTooLarge", 11, "Port", "70000", "7000"},
                                           TypedCase{"PortLetters", 11, "Port", "8a83", "883"},
                                           TypedCase{"KeepaliveSign", 11, "Keepalive", "-60", "60"},
                                           TypedCase{"AliyunPort", 12, "Port", "1883x", "1883"},
                                           TypedCase{"TextStaysFree", 11, "Server", "a-b.c:1", "a-b.c:1"}),
                         [](const ::testing::TestParamInfo<TypedCase> &info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, QosAndCleanSessionAreChosenFromTheValuesTheDeviceTakes) {
  Select("MQTT Mode");
  QWidget *view = window_->Pages()->PageForCode(11);
  auto *qos = view->findChild<QComboBox *>("Qos");
  auto *clean = view->findChild<QComboBox *>("CleanSession");
  ASSERT_NE(qos, nullptr);
  ASSERT_NE(clean, nullptr);
  EXPECT_EQ(Entries(qos), QStringList({"0", "1", "2"}));
  EXPECT_EQ(Entries(clean), QStringList({"0", "1"}));
  Choose(qos, 2);
  Choose(clean, 1);
  auto *page = window_->Pages()->LogicAs<DtuPage>(DtuPageCode::kMqtt);
  std::string value;
  ASSERT_TRUE(page->GetField("Qos", value));
  EXPECT_EQ(value, "2");
  ASSERT_TRUE(page->GetField("CleanSession", value));
  EXPECT_EQ(value, "1");
  window_->SetLanguage(0);  // a language switch keeps the choice
  EXPECT_EQ(qos->currentText(), "2");
}

TEST_F(MainWindowTest, UnknownWorkModeCanBeShownButNotChosenNorSet) {
  Select("Work Mode");
  QWidget *view = window_->Pages()->PageForCode(9);
  auto *mode = view->findChild<QComboBox *>("WorkMode");
  ASSERT_NE(mode, nullptr);
  auto *model = qobject_cast<QStandardItemModel *>(mode->model());
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->item(0)->isEnabled());
  EXPECT_TRUE(model->item(3)->isEnabled());
  window_->SetLanguage(0);  // the entries are made again in Chinese
  EXPECT_FALSE(qobject_cast<QStandardItemModel *>(mode->model())->item(0)->isEnabled());
  window_->SetLanguage(1);
  mode->setCurrentIndex(0);
  view->findChild<QPushButton *>("Set")->click();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Work Mode: choose TCP, UDP or MQTT; Unknown cannot be set, nothing was sent.");
}

TEST_F(MainWindowTest, ManualApnAfterAnAutoAnswerStartsFromEmptyFields) {
  Select("Network Info");
  QWidget *view = window_->Pages()->PageForCode(8);
  auto *net = window_->Pages()->LogicAs<DtuNet>(DtuPageCode::kNet);
  const char auto_answer[] = "apn:auto&username: &pwd: &";
  net->DtuNetInfoSet(auto_answer, static_cast<int>(sizeof auto_answer - 1));
  Choose(view->findChild<QComboBox *>("DialType"), 1);
  for (const char *field : {"APN", "Username", "Password"}) {
    auto *edit = view->findChild<QLineEdit *>(field);
    ASSERT_NE(edit, nullptr) << field;
    EXPECT_TRUE(edit->isVisible()) << field;
    EXPECT_EQ(edit->text(), "") << field;
  }
  QTest::keyClicks(view->findChild<QLineEdit *>("Username"), "user1");
  std::string value;
  ASSERT_TRUE(net->GetField("Username", value));
  EXPECT_EQ(value, "user1");
}

TEST_F(MainWindowTest, Dlt645ShowsOffFirstAndHeadingsOnlyOverRows) {
  Select("DL/T645 Meter");
  QWidget *view = window_->Pages()->PageForCode(6);
  auto *switch_box = view->findChild<QComboBox *>("Switch");
  ASSERT_NE(switch_box, nullptr);
  EXPECT_EQ(Entries(switch_box), QStringList({"OFF", "ON"}));
  const auto visible_headings = [view] {
    int shown = 0;
    for (QLabel *label : view->findChildren<QLabel *>()) {
      shown += label->isVisible() && (label->text() == "Meter Addr" || label->text() == "DI Config (up to 8 DIs)");
    }
    return shown;
  };
  Choose(switch_box, 1);  // ON
  EXPECT_EQ(visible_headings(), 2);
  Choose(switch_box, 0);  // OFF
  EXPECT_EQ(visible_headings(), 0) << "no headings without rows";
  std::string value;
  ASSERT_TRUE(window_->Pages()->LogicAs<DtuPage>(DtuPageCode::kDlt645)->GetField("Switch", value));
  EXPECT_EQ(value, "1") << "the page's index for OFF";
}
