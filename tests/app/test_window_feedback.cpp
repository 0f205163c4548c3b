// What the window tells the user: questions before dangerous buttons, the
// start-up file error, against dtu-sim on a real pseudo-terminal.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <unistd.h>

#include "app/shell/busy_status_bar.h"
#include "app/views/cmd_port/cmd_port_view.h"
#include "app_fixture.h"
#include "question_answerer.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "tests/support/sim_link.h"

namespace {

using std::chrono::milliseconds;

struct DangerousCase {
  const char *button;
  QMessageBox::StandardButton answer;
  const char *question_holds;
  const char *line_sent;  // empty: nothing goes out
};

class DangerousButtonTest : public MainWindowTest, public ::testing::WithParamInterface<DangerousCase> {};

}  // namespace

TEST_P(DangerousButtonTest, AsksFirstAndSendsOnlyOnYes) {
  auto sim = StartDtuSim();
  CmdPortView *port_view = window_->Pages()->CmdPortPageView();
  port_view->PortList()->setEditText(QString::fromStdString(sim->SlavePath()));
  port_view->OpenCloseButton()->click();
  ASSERT_TRUE(window_->Pages()->CmdPortPage()->IsOpen());

  auto *button = window_->Pages()->PageForCode(7)->findChild<QPushButton *>(GetParam().button);
  ASSERT_NE(button, nullptr);
  QuestionAnswerer answerer(GetParam().answer);
  button->click();
  EXPECT_TRUE(answerer.text_.contains(GetParam().question_holds)) << answerer.text_.toStdString();
  EXPECT_TRUE(answerer.default_);

  const std::string expected = GetParam().line_sent;
  if (expected.empty()) {
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(sim->ReceivedLines().empty());
    EXPECT_TRUE(messages_.empty());
  } else {
    auto lines = sim->WaitForLines(1, milliseconds(3000));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], expected);
    EXPECT_EQ(messages_.size(), 1u);  // "... command sent"
  }
}

INSTANTIATE_TEST_SUITE_P(
    DeviceInfo, DangerousButtonTest,
    ::testing::Values(DangerousCase{"Reboot", QMessageBox::No, "Reboot", ""},
                      DangerousCase{"Reboot", QMessageBox::Yes, "Reboot", "AT+ZEVCFG=set|reboot\r\n"},
                      DangerousCase{"Reset", QMessageBox::No, "factory settings", ""},
                      DangerousCase{"Reset", QMessageBox::Yes, "factory settings", "AT+ZEVCFG=set|reload\r\n"}),
    [](const ::testing::TestParamInfo<DangerousCase> &info) {
      return std::string(info.param.button) + (info.param.answer == QMessageBox::Yes ? "Yes" : "No");
    });

// The configuration file is made before the language is set: when it cannot
// be made, the message comes in Chinese.
TEST(StartUpFileError, IsShownInChinese) {
  std::vector<std::string> messages;
  auto previous = DtuSetMessageSink([&](const std::string &text) { messages.push_back(text); });
  const QString home = QDir::currentPath();
  {
    QTemporaryDir gone;
    ASSERT_TRUE(QDir::setCurrent(gone.path()));
    ASSERT_EQ(::rmdir(gone.path().toLocal8Bit().constData()), 0);  // nothing can be created here
    CVarnokConfigureToolDlg window;
    ASSERT_TRUE(QDir::setCurrent(home));
    EXPECT_EQ(DtuLangFlag.load(), 1);  // English after that step
  }
  DtuSetMessageSink(previous);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "无法创建配置文件: Zev_DtuConfig.txt");
}

namespace {

class BusyWindowTest : public MainWindowTest {
 protected:
  void OpenOn(DtuSim &sim) {
    CmdPortView *port_view = window_->Pages()->CmdPortPageView();
    port_view->PortList()->setEditText(QString::fromStdString(sim.SlavePath()));
    port_view->OpenCloseButton()->click();
    ASSERT_TRUE(window_->Pages()->CmdPortPage()->IsOpen());
  }
  QPushButton *Button(int code, const char *name) const {
    return window_->Pages()->PageForCode(code)->findChild<QPushButton *>(name);
  }
};

}  // namespace

// While a Read runs the bar shows the page and its progress and the page's
// Read and Set buttons wait; afterwards all is back.
TEST_F(BusyWindowTest, StatusBarFollowsAReadAndTheButtonsWaitForIt) {
  EXPECT_EQ(window_->Busy()->PortText(), "Port closed");
  DtuSimOptions options;
  options.latency_ms = 60;
  auto sim = StartDtuSim(options);
  OpenOn(*sim);
  EXPECT_EQ(window_->Busy()->PortText(), QString::fromStdString(sim->SlavePath()) + "  115200 8N1");

  Select("Device Info");
  Button(7, "Read")->click();
  EXPECT_FALSE(Button(7, "Read")->isEnabled());
  EXPECT_FALSE(Button(7, "Set")->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return window_->Busy()->ActionText() == "Reading Device Info… 3 of 7"; }));
  EXPECT_TRUE(window_->Busy()->Progress()->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !Button(7, "SaveLocal")->isEnabled(); }));
  EXPECT_FALSE(Button(7, "Reboot")->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return Button(7, "Read")->isEnabled(); }));
  EXPECT_TRUE(Button(7, "Set")->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return Button(7, "SaveLocal")->isEnabled() && Button(7, "Reboot")->isEnabled(); }));
  EXPECT_TRUE(window_->Busy()->ActionText().isEmpty());
  EXPECT_FALSE(window_->Busy()->Progress()->isVisible());
  EXPECT_TRUE(messages_.empty());
}

// A page that reads by steps of its own (the business packets) shows busy
// too: its buttons and every page's Reboot wait until its Read is over,
// even when the device never answers.
TEST_F(BusyWindowTest, APageReadingByItsOwnStepsShowsBusyUntilItsReadIsOver) {
  DtuSimOptions options;
  options.silent_every = 1;
  auto sim = StartDtuSim(options);
  OpenOn(*sim);
  Select("BHU");
  Button(14, "Read")->click();
  ASSERT_TRUE(WaitFor([&] { return window_->Busy()->ActionText() == "BHU: working with the device…"; }));
  for (const char *name : {"Read", "Set", "SaveLocal", "ReadLocal"}) EXPECT_FALSE(Button(14, name)->isEnabled()) << name;
  EXPECT_FALSE(Button(7, "Reboot")->isEnabled());
  EXPECT_TRUE(Button(7, "Read")->isEnabled()) << "another page's own buttons stay";
  ASSERT_TRUE(WaitFor([&] { return Button(14, "Read")->isEnabled(); }, 5000));
  EXPECT_TRUE(Button(7, "Reboot")->isEnabled());
  EXPECT_TRUE(window_->Busy()->ActionText().isEmpty());
}

// A Set the device refuses ends with one warning naming the field, never
// with the success message, and the buttons come back.
TEST_F(BusyWindowTest, RefusedSetWarnsNamingTheFieldAndNeverSucceeds) {
  std::vector<std::pair<std::string, DtuMessageKind>> shown;
  auto previous = DtuSetKindMessageSink([&](const std::string &text, DtuMessageKind kind) { shown.emplace_back(text, kind); });
  auto sim = StartDtuSim();
  OpenOn(*sim);
  Select("MQTT Mode");
  Button(11, "Read")->click();
  ASSERT_TRUE(WaitFor([&] { return Button(11, "Set")->isEnabled(); }));
  DtuSimOptions options = sim->Options();
  options.error_keys = {"mqtt-pubtopic"};
  sim->SetOptions(options);
  Button(11, "Set")->click();
  ASSERT_TRUE(WaitFor([&] { return !shown.empty(); }));
  WaitFor([] { return false; }, 200);
  DtuSetKindMessageSink(previous);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].first, "The device refused PubTopic (ERROR)");
  EXPECT_EQ(shown[0].second, DtuMessageKind::kWarning);
  EXPECT_TRUE(Button(11, "Set")->isEnabled());
  EXPECT_TRUE(Button(11, "Read")->isEnabled());
  auto *pub_topic = window_->Pages()->PageForCode(11)->findChild<QWidget *>("PubTopic");
  ASSERT_NE(pub_topic, nullptr);
  EXPECT_TRUE(pub_topic->property("unanswered").toBool());
}
