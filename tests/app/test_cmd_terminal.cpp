// The command port page as a terminal: Enter sends, history, echo, time
// stamps and hex, Save Log, line settings locked while open, and a log that
// records the port list only when it changes. Real main window, dtu-sim on a
// real pseudo-terminal.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <chrono>
#include <fstream>

#include "app/views/cmd_port/cmd_port_view.h"
#include "app/views/cmd_port/command_input_edit.h"
#include "app/views/cmd_port/receive_log_view.h"
#include "app/views/cmd_port/terminal_format.h"
#include "app_fixture.h"
#include "base/dtu_log.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "tests/support/pty_pair.h"
#include "tests/support/sim_link.h"

namespace {

using std::chrono::milliseconds;

struct FormatCase {
  const char *name;
  bool stamps;
  bool hex;
  const char *expected;
};

class TerminalLineFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TerminalLineFormat, ShowsTheLineAsTheOptionsSay) {
  TerminalOptions options;
  options.time_stamps = GetParam().stamps;
  options.hex = GetParam().hex;
  EXPECT_EQ(TerminalFormatLine("OK 1", options, QTime(9, 5, 7, 42)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Options, TerminalLineFormat,
                         ::testing::Values(FormatCase{"Plain", false, false, "OK 1"},
                                           FormatCase{"Stamped", true, false, "09:05:07.042 OK 1"},
                                           FormatCase{"Hex", false, true, "OK 1    [4F 4B 20 31]"},
                                           FormatCase{"Both", true, true, "09:05:07.042 OK 1    [4F 4B 20 31]"}),
                         [](const ::testing::TestParamInfo<FormatCase> &info) { return std::string(info.param.name); });

TEST(TerminalCommands, OneCommandPerLineEmptyLinesDropped) {
  EXPECT_EQ(TerminalCommands("AT\nAT+ZEVCFG=get|imei\r\n\n"), QStringList({"AT", "AT+ZEVCFG=get|imei"}));
  EXPECT_EQ(TerminalCommands(""), QStringList({""}));
  EXPECT_EQ(TerminalEchoLine("AT", TerminalOptions(), QTime()), ">> AT");
}

int CountPortListRecords(const std::string &path) {
  std::ifstream log(path);
  int count = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find("# COM -> ") != std::string::npos) ++count;
  }
  return count;
}

}  // namespace

class CmdTerminalTest : public MainWindowTest {
 protected:
  CmdPortView *View() const { return window_->Pages()->CmdPortPageView(); }
  DtuCmdPortPage *Page() const { return window_->Pages()->CmdPortPage(); }
  void Open(const DtuSimOptions &options = DtuSimOptions()) {
    sim_ = StartDtuSim(options);
    View()->PortList()->setEditText(QString::fromStdString(sim_->SlavePath()));
    View()->OpenCloseButton()->click();
    ASSERT_TRUE(Page()->IsOpen());
  }
  void Type(const QString &text) { QTest::keyClicks(View()->SendWindow(), text); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(View()->SendWindow(), key, modifiers);
  }
  std::unique_ptr<DtuSim> sim_;
};

TEST_F(CmdTerminalTest, EnterSendsEachLineShiftEnterOnlyBreaksTheLine) {
  Open();
  Type("AT");
  Key(Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_TRUE(WaitFor([] { return false; }, 150) || sim_->ReceivedLines().empty());
  EXPECT_TRUE(sim_->ReceivedLines().empty());
  Type("AT+ZEVCFG=get|imei");
  EXPECT_EQ(View()->SendWindow()->toPlainText(), "AT\nAT+ZEVCFG=get|imei");
  Key(Qt::Key_Return);
  auto lines = sim_->WaitForLines(2, milliseconds(3000));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "AT\r\n");
  EXPECT_EQ(lines[1], "AT+ZEVCFG=get|imei\r\n");
  EXPECT_TRUE(View()->SendWindow()->toPlainText().isEmpty());
  // Each sent command is echoed on a line of its own, marked as sent.
  ASSERT_TRUE(WaitFor([&] { return View()->ReceivedText().contains("imei : "); }));
  const QStringList shown = View()->ReceivedText().split('\n');
  EXPECT_TRUE(shown.contains(">> AT"));
  EXPECT_TRUE(shown.contains(">> AT+ZEVCFG=get|imei"));
}

TEST_F(CmdTerminalTest, UpAndDownWalkTheCommandsSentThisSession) {
  Open();
  for (const char *command : {"AT", "AT+ZEVCFG=get|version", "AT+ZEVCFG=get|imei"}) {
    Type(command);
    Key(Qt::Key_Return);
  }
  Type("draft");
  const char *walk[][2] = {{"up", "AT+ZEVCFG=get|imei"}, {"up", "AT+ZEVCFG=get|version"}, {"up", "AT"},
                           {"up", "AT"},                 {"down", "AT+ZEVCFG=get|version"},
                           {"down", "AT+ZEVCFG=get|imei"}, {"down", "draft"}};
  for (const auto &step : walk) {
    Key(std::string(step[0]) == "up" ? Qt::Key_Up : Qt::Key_Down);
    EXPECT_EQ(View()->SendWindow()->toPlainText(), step[1]) << step[0];
  }
  for (int i = 0; i < CommandInputEdit::kHistoryMax + 20; ++i) View()->SendWindow()->AddToHistory(QString::number(i));
  EXPECT_EQ(View()->SendWindow()->History().size(), CommandInputEdit::kHistoryMax);
  EXPECT_EQ(View()->SendWindow()->History().last(), QString::number(CommandInputEdit::kHistoryMax + 19));
}

TEST_F(CmdTerminalTest, TimeStampsAndHexShowOnReceivedLines) {
  Open();
  EXPECT_FALSE(View()->TimeStampsOption()->isChecked());
  EXPECT_FALSE(View()->HexOption()->isChecked());
  View()->TimeStampsOption()->setChecked(true);
  View()->HexOption()->setChecked(true);
  EXPECT_TRUE(View()->ReceiveWindow()->Wraps()) << "hex pairs wrap instead of running off to the right";
  Type("AT+ZEVCFG=get|logLevel");
  Key(Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return View()->ReceivedText().contains("logLevel : "); }));
  const QString text = View()->ReceivedText();
  const QString answer = text.mid(text.lastIndexOf('\n', text.indexOf("logLevel : ")) + 1).section('\n', 0, 0);
  EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d{3} logLevel : \d    \[6C 6F 67 .*\]$)").match(answer).hasMatch())
      << answer.toStdString();
}

TEST_F(CmdTerminalTest, LineSettingsAreLockedWhileThePortIsOpen) {
  for (QComboBox *list : View()->LineSettingLists()) EXPECT_TRUE(list->isEnabled());
  Open();
  ASSERT_EQ(View()->LineSettingLists().size(), 5);
  for (QComboBox *list : View()->LineSettingLists()) EXPECT_FALSE(list->isEnabled());
  View()->OpenCloseButton()->click();
  for (QComboBox *list : View()->LineSettingLists()) EXPECT_TRUE(list->isEnabled());
}

// The line of the receive window that holds `text`, or -1.
int LineWith(const ReceiveLogView *window, const QString &text) {
  const QStringList lines = window->Text().split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    if (lines[i].contains(text)) return i;
  }
  return -1;
}

TEST_F(CmdTerminalTest, LinesThePagesSendAreEchoedAsSent) {
  Open();
  ASSERT_TRUE(window_->SelectPage(7));
  window_->Pages()->PageForCode(7)->findChild<QPushButton *>("Read")->click();
  ReceiveLogView *receive = View()->ReceiveWindow();
  ASSERT_TRUE(WaitFor([&] { return LineWith(receive, "imei : ") >= 0; }, 10000));
  const int sent = LineWith(receive, ">> AT+ZEVCFG=get|imei");
  ASSERT_GE(sent, 0) << receive->Text().toStdString();
  EXPECT_EQ(receive->KindAt(sent), ReceiveLogView::kSent);
  EXPECT_LT(sent, LineWith(receive, "imei : ")) << "the line stands before its answer";
  EXPECT_EQ(receive->KindAt(LineWith(receive, "imei : ")), ReceiveLogView::kReceived);
}

TEST_F(CmdTerminalTest, ATypedLineWithoutAnswerIsNoted) {
  DtuSimOptions silent;
  silent.silent_every = 1;
  Open(silent);
  Type("AT+ZEVCFG=get|imei");
  Key(Qt::Key_Return);
  ReceiveLogView *receive = View()->ReceiveWindow();
  ASSERT_TRUE(WaitFor([&] { return LineWith(receive, "(no answer) AT+ZEVCFG=get|imei") >= 0; }, 10000));
  EXPECT_EQ(receive->KindAt(LineWith(receive, "(no answer)")), ReceiveLogView::kNote);
}

TEST_F(CmdTerminalTest, APortThatGoesAwayIsShownGoneAndStaysChosen) {
  auto sim = StartDtuSim();
  const QString path = QString::fromStdString(sim->SlavePath());
  Page()->AddKnownPort(path);
  View()->SelectPort(path);
  EXPECT_TRUE(Page()->PortListTexts().contains(path));
  EXPECT_FALSE(View()->PortState()->isVisibleTo(View()));
  sim.reset();  // the pseudo-terminal goes, as an unplugged adapter does
  ASSERT_TRUE(WaitFor([&] { return !Page()->PortListTexts().contains(path); }, 10000));
  EXPECT_TRUE(Page()->PortGone(path));
  EXPECT_EQ(View()->PortList()->currentText(), path) << "the choice stays";
  EXPECT_TRUE(View()->PortState()->isVisibleTo(View()));
  EXPECT_EQ(View()->PortState()->text(), path + " is gone");
}

TEST_F(CmdTerminalTest, SaveLogWritesTheReceiveWindowOrNamesTheFileItCouldNotWrite) {
  View()->AppendReceived("version : 1\r\n");
  QTemporaryDir dir;
  const QString path = dir.filePath("log.txt");
  ASSERT_TRUE(View()->SaveLogTo(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "version : 1\n");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Log saved to " + QFileInfo(path).absoluteFilePath().toStdString());

  const QString bad = dir.filePath("missing/log.txt");
  EXPECT_FALSE(View()->SaveLogTo(bad));
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_NE(messages_[1].find(bad.toStdString()), std::string::npos);
}

TEST_F(CmdTerminalTest, ThePortListIsLoggedOncePerChangeNotPerPoll) {
  // A log of the test's own: the other test processes write log.txt too.
  const std::string path = "port_list_" + std::to_string(getpid()) + ".log.txt";
  const std::string previous = DtuLogGetPath();
  std::remove(path.c_str());
  DtuLogSetPath(path);
  const int before = CountPortListRecords(path);
  for (int i = 0; i < 5; ++i) Page()->UpdateSerailPortList();
  EXPECT_EQ(CountPortListRecords(path), before);
  {
    PtyPair pty;
    Page()->AddKnownPort(QString::fromStdString(pty.SlavePath()));
  }
  Page()->UpdateSerailPortList();  // the pseudo-terminal went: one record of the new list
  const int after_change = CountPortListRecords(path);
  EXPECT_EQ(after_change - before, 1);
  for (int i = 0; i < 5; ++i) Page()->UpdateSerailPortList();
  EXPECT_EQ(CountPortListRecords(path), after_change);
  DtuLogSetPath(previous);
  std::remove(path.c_str());
}

// A wrapped log counts its rows as lines come and go; after a resize and
// after the oldest lines were dropped it scrolls as far as a log that was
// given only the lines it keeps.
TEST(ReceiveLog, WrappedRowsFollowTheLinesKeptAndTheWidth) {
  auto fill = [](ReceiveLogView &log, int first, int count) {
    for (int i = first; i < first + count; ++i) log.Append(QString(i % 7 * 23 + 1, QLatin1Char('x')) + "\n");
  };
  ReceiveLogView full(50), kept(50);
  auto show_at = [&](int width) {
    for (ReceiveLogView *log : {&full, &kept}) {
      log->resize(width, 120);
      log->show();
    }
    QCoreApplication::processEvents();
  };
  full.SetWrap(true);
  kept.SetWrap(true);
  show_at(200);
  fill(full, 0, 80);  // the oldest 30 are dropped
  fill(kept, 30, 50);
  EXPECT_EQ(full.Text(), kept.Text());
  EXPECT_GT(kept.verticalScrollBar()->maximum(), 50) << "long lines take more than one row";
  EXPECT_EQ(full.verticalScrollBar()->maximum(), kept.verticalScrollBar()->maximum());
  const int narrow = kept.verticalScrollBar()->maximum();
  show_at(320);
  EXPECT_LT(kept.verticalScrollBar()->maximum(), narrow);
  EXPECT_EQ(full.verticalScrollBar()->maximum(), kept.verticalScrollBar()->maximum());
}
