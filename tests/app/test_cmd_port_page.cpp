// The command port page in the real main window against a device on a real
// pseudo-terminal: open, raw send, receive window, unplug, closed port.
#include <QComboBox>
#include <QThread>

#include <atomic>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/views/cmd_port_view.h"
#include "app/views/receive_log_view.h"
#include "link/dtu_cmd_resp_table.h"
#include "app_fixture.h"
#include "pages/dtu_cmd_port_page.h"
#include "pty_peer.h"

namespace {

// What the answer handler below saw: the value and whether it ran on the GUI thread.
std::atomic<int> g_handler_calls{0};
std::atomic<bool> g_handler_on_gui_thread{false};
std::string g_handler_value;

void RecordImei(const char *value, int) {
  g_handler_on_gui_thread = QThread::currentThread() == QCoreApplication::instance()->thread();
  g_handler_value = value;  // the value runs to the end of the cleaned answer
  ++g_handler_calls;
}

bool Contains(const std::vector<std::string> &messages, const std::string &part) {
  for (const std::string &m : messages) {
    if (m.find(part) != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

class CmdPortPageTest : public MainWindowTest {
 protected:
  CmdPortView *View() const { return window_->Pages()->CmdPortPageView(); }
  DtuCmdPortPage *Page() const { return window_->Pages()->CmdPortPage(); }

  void OpenOn(const std::string &path) {
    // The port list is editable: a pseudo-terminal path is typed in.
    View()->PortList()->setEditText(QString::fromStdString(path));
    View()->OpenCloseButton()->click();
    ASSERT_TRUE(Page()->IsOpen()) << (messages_.empty() ? "" : messages_.back());
    EXPECT_EQ(View()->OpenCloseButton()->text(), QStringLiteral("Close Port"));
  }
};

TEST_F(CmdPortPageTest, SendCommandWritesTheLineAndCrLfAndAnswersReachTheReceiveWindow) {
  PtyPeer device;
  ASSERT_TRUE(device.ok());
  OpenOn(device.path());

  View()->SendWindow()->setPlainText("AT");
  View()->SendButton()->click();
  EXPECT_EQ(device.Read(4, 3000), "AT\r\n");
  EXPECT_EQ(device.Read(1, 200), "");  // nothing more than the four bytes

  device.Write("version : 2.0.25\r\nOK\r\n");
  EXPECT_TRUE(WaitFor([&] { return View()->ReceivedText().contains("version : 2.0.25"); }));
  device.Write("imei : 861234567890123\r\n");
  EXPECT_TRUE(WaitFor([&] { return View()->ReceivedText().contains("imei : 861234567890123"); }));
  // Appended in arrival order, the closing "OK" cleaned away.
  QString text = View()->ReceivedText();
  EXPECT_LT(text.indexOf("version"), text.indexOf("imei"));
  EXPECT_FALSE(text.contains("OK"));

  View()->ClearReceiveButton()->click();
  EXPECT_TRUE(View()->ReceivedText().isEmpty());
  View()->ClearSendButton()->click();
  EXPECT_TRUE(View()->SendWindow()->toPlainText().isEmpty());

  View()->OpenCloseButton()->click();
  EXPECT_FALSE(Page()->IsOpen());
  EXPECT_EQ(View()->OpenCloseButton()->text(), QStringLiteral("Open Port"));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(CmdPortPageTest, AnswerHandlersRunOnTheGuiThreadInArrivalOrder) {
  PtyPeer device;
  ASSERT_TRUE(device.ok());
  OpenOn(device.path());
  ASSERT_GT(DtuCmdAttachHandler("imei", RecordImei), 0);
  g_handler_calls = 0;
  g_handler_on_gui_thread = false;

  device.Write("imei : 861234567890123\r\nOK\r\n");
  ASSERT_TRUE(WaitFor([] { return g_handler_calls.load() == 1; }));
  EXPECT_TRUE(g_handler_on_gui_thread.load());
  EXPECT_EQ(g_handler_value, "861234567890123");
  DtuCmdDetachAllHandlers();
}

TEST_F(CmdPortPageTest, UnpluggedDeviceIsReportedAndThePortCanBeOpenedAgain) {
  auto device = std::make_unique<PtyPeer>();
  ASSERT_TRUE(device->ok());
  OpenOn(device->path());

  device->Unplug();
  ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }));
  EXPECT_FALSE(Page()->IsOpen());
  EXPECT_EQ(View()->OpenCloseButton()->text(), QStringLiteral("Open Port"));
  EXPECT_TRUE(Contains(messages_, "has gone away")) << messages_.back();

  // The window still works: a new device on a new pty opens.
  messages_.clear();
  device = std::make_unique<PtyPeer>();
  ASSERT_TRUE(device->ok());
  OpenOn(device->path());
  View()->SendWindow()->setPlainText("AT+ZEVCFG=get|imei");
  View()->SendButton()->click();
  EXPECT_EQ(device->Read(20, 3000), "AT+ZEVCFG=get|imei\r\n");
}

TEST_F(CmdPortPageTest, ClosedPortSendShowsNotOpenAndOpenFailureShowsTheDriverText) {
  View()->SendWindow()->setPlainText("AT");
  View()->SendButton()->click();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Config serial port is not open");

  View()->PortList()->setEditText("/dev/no-such-port-here");
  View()->OpenCloseButton()->click();
  EXPECT_FALSE(Page()->IsOpen());
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_NE(messages_[1].find("error"), std::string::npos) << messages_[1];
  EXPECT_EQ(View()->OpenCloseButton()->text(), QStringLiteral("Open Port"));
}

TEST_F(CmdPortPageTest, ListsDefaultAndOutOfRangeIndexesFallBackToDefaults) {
  DtuSerialSettings settings = Page()->Settings();
  EXPECT_EQ(settings.baud, 115200);
  EXPECT_EQ(settings.databits, 8);
  EXPECT_EQ(settings.stopbits, 0);
  EXPECT_EQ(settings.parity, 0);
  EXPECT_EQ(Page()->FlowIndex(), 2);

  Page()->OnCbnSelchangeDtuCmdBaudrete(10);
  Page()->OnCbnSelchangeDtuCmdDatabits(1);
  Page()->OnCbnSelchangeDtuCmdStopbits(2);
  Page()->OnCbnSelchangeDtuCmdParity(4);
  settings = Page()->Settings();
  EXPECT_EQ(settings.baud, 921600);
  EXPECT_EQ(settings.databits, 6);
  EXPECT_EQ(settings.stopbits, 2);
  EXPECT_EQ(settings.parity, 4);

  Page()->OnCbnSelchangeDtuCmdBaudrete(-1);
  Page()->OnCbnSelchangeDtuCmdDatabits(4);
  Page()->OnCbnSelchangeDtuCmdStopbits(3);
  Page()->OnCbnSelchangeDtuCmdParity(-1);
  settings = Page()->Settings();
  EXPECT_EQ(settings.baud, 115200);
  EXPECT_EQ(settings.databits, 8);
  EXPECT_EQ(settings.stopbits, 0);
  EXPECT_EQ(settings.parity, 0);
}

TEST_F(CmdPortPageTest, ReceiveWindowKeepsTheNewestTwentyThousandLines) {
  const int total = CmdPortView::kReceiveMaxLines + 5000;
  for (int i = 0; i < total; ++i) {
    View()->AppendReceived(QStringLiteral("line %1\r\n").arg(i));
  }
  EXPECT_EQ(View()->ReceivedLineCount(), CmdPortView::kReceiveMaxLines);
  QString text = View()->ReceivedText();
  EXPECT_TRUE(text.startsWith(QStringLiteral("line %1\n").arg(total - CmdPortView::kReceiveMaxLines)));
  EXPECT_TRUE(text.endsWith(QStringLiteral("line %1\n").arg(total - 1)));
}

TEST_F(CmdPortPageTest, ReceiveWindowJoinsSplitLinesAndCopiesTheSelection) {
  ReceiveLogView *window = View()->ReceiveWindow();
  window->Append("netInfo : apn:");
  window->Append("cmnet&username:&pwd:&\r\nlogLevel : 2\rx\ny");
  EXPECT_EQ(window->Text(), QStringLiteral("netInfo : apn:cmnet&username:&pwd:&\nlogLevel : 2\nx\ny"));
  EXPECT_EQ(window->LineCount(), 4);
  window->SelectAll();
  EXPECT_EQ(window->SelectedText(), QStringLiteral("netInfo : apn:cmnet&username:&pwd:&\nlogLevel : 2\nx\ny"));
  View()->ClearReceiveButton()->click();
  EXPECT_EQ(window->LineCount(), 0);
  EXPECT_TRUE(window->SelectedText().isEmpty());
}

TEST_F(CmdPortPageTest, PresetPortIsInTheListAndSelected) {
  PtyPeer device;
  ASSERT_TRUE(device.ok());
  window_->PresetPort(QString::fromStdString(device.path()));
  QComboBox *list = View()->PortList();
  EXPECT_GE(list->findText(QString::fromStdString(device.path())), 0);
  EXPECT_EQ(list->currentText().toStdString(), device.path());
  EXPECT_EQ(Page()->PortName().toStdString(), device.path());
}

TEST_F(CmdPortPageTest, APortGivenByPathLeavesTheListWhenItDisappears) {
  auto device = std::make_unique<PtyPeer>();
  ASSERT_TRUE(device->ok());
  const QString path = QString::fromStdString(device->path());
  window_->PresetPort(path);
  EXPECT_TRUE(Page()->PortListTexts().contains(path));
  device.reset();  // both ends closed: the pseudo-terminal is gone
  Page()->UpdateSerailPortList();
  EXPECT_FALSE(Page()->PortListTexts().contains(path));
  EXPECT_EQ(View()->PortList()->findText(path), -1);
  // What the user typed stays in the edit field.
  EXPECT_EQ(View()->PortList()->currentText(), path);
}
