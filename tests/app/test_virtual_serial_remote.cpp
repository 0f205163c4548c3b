// The Virtual Serial page against the cloud platform on loopback: the REST
// server over TLS, a real mosquitto broker and a simulated remote DTU, with a
// terminal on the local pseudo-terminal that the command port opens.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

#include <cstdlib>
#include <regex>

#include "app/views/cmd_port/cmd_port_view.h"
#include "base/dtu_log.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "sim/platform_remote_device.h"
#include "sim/platform_rest_server.h"
#include "tests/app/virtual_serial_fixture.h"
#include "sim/platform_broker.h"
#include "sim/platform_mqtt_peer.h"
#include "tests/support/pty_pair.h"

namespace {

constexpr const char *kImei = "860000000000001";
constexpr const char *kEnvNames[] = {"VARNOK_API_BASE", "VARNOK_CA_FILE", "VARNOK_MQTT_HOST", "VARNOK_MQTT_PORT"};

class VirtualSerialRemoteTest : public VirtualSerialTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(broker_.Start()) << broker_.ErrorText();
    PlatformRestConfig config = PlatformDemoConfig();
    // A row the platform lists without an "imei": not a device to pick.
    config.products[0].devices = {{kImei, "pump-house"}, {"", "not provisioned"}};
    std::string error;
    ASSERT_TRUE(rest_.Start(config, error)) << error;
    ASSERT_TRUE(device_.Start(broker_.Host(), broker_.Port(), "pk-demo", kImei, error)) << error;
    setenv("VARNOK_API_BASE", rest_.ApiBase().c_str(), 1);
    setenv("VARNOK_CA_FILE", rest_.CaFile().c_str(), 1);
    setenv("VARNOK_MQTT_HOST", broker_.Host().c_str(), 1);
    setenv("VARNOK_MQTT_PORT", std::to_string(broker_.Port()).c_str(), 1);
    VirtualSerialTest::SetUp();
  }
  void TearDown() override {
    VirtualSerialTest::TearDown();
    for (const char *name : kEnvNames) unsetenv(name);
  }

  void OpenLocalPort() {
    window_->PresetPort(QString::fromStdString(terminal_.SlavePath()));
    ASSERT_TRUE(window_->Pages()->CmdPortPage()->OnBnClickedOpenClose());
  }
  bool Idle() { return WaitFor([&] { return !Tool()->Busy(); }, 20000); }
  void ConnectTo(const QString &device_id) {
    Type("DeviceId", device_id);
    Click("Connect");
    ASSERT_TRUE(Idle());
    ASSERT_TRUE(Tool()->LinkConnected()) << LogText().toStdString();
  }
  // Keeps the event loop turning (the bridge runs on it) while the terminal
  // waits for `needle`.
  std::string TerminalUntil(const std::string &needle, int timeout_ms = 10000) {
    std::string got;
    QElapsedTimer timer;
    timer.start();
    while (got.find(needle) == std::string::npos && timer.elapsed() < timeout_ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      got += terminal_.ReadFor(std::chrono::milliseconds(5));
    }
    return got;
  }
  // The answer's length.
  size_t ExpectImeiExchange() {
    const std::string answer = std::string("\r\nimei : ") + kImei + "\r\n\r\nOK\r\n";
    terminal_.Write("AT+ZEVCFG=get|imei\r\n");
    EXPECT_EQ(TerminalUntil("OK\r\n"), answer);
    return answer.size();
  }

  MosquittoBroker broker_;
  PlatformRestServer rest_;
  PlatformRemoteDevice device_;
  PtyPair terminal_;
};

TEST_F(VirtualSerialRemoteTest, LoginListConnectAndExchangeBytes) {
  OpenLocalPort();
  LogIn();
  EXPECT_EQ(messages_, std::vector<std::string>{"Login success"});
  EXPECT_EQ(Find<QPushButton>("Login")->text(), "Logout");

  Click("RefreshDevices");
  ASSERT_TRUE(Idle());
  QTreeWidgetItem *root = Find<QTreeWidget>("DeviceTree")->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 1) << LogText().toStdString();
  root->child(0)->setCheckState(0, Qt::Checked);
  EXPECT_EQ(FieldText("DeviceId"), kImei);

  Click("Connect");
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(LogText().contains("Connect success"));
  EXPECT_FALSE(Find<QPushButton>("Connect")->isEnabled());
  const size_t answer_size = ExpectImeiExchange();
  EXPECT_TRUE(WaitForLog(QString("[Local-Rx]# : %1.").arg(answer_size)));
  EXPECT_TRUE(LogText().contains("[Local-Tx]# : 20."));

  Click("Disconnect");
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(LogText().endsWith("Disconnected"));
  Click("Login");
  ASSERT_TRUE(Idle());
  EXPECT_EQ(messages_.back(), "Logout success");
  EXPECT_EQ(rest_.OpenTokens(), 0u);
}

TEST_F(VirtualSerialRemoteTest, WindowKeepsTurningWhileThePlatformAnswersSlowly) {
  rest_.SetFault(PlatformFault::kSlow, 1500);
  int turns = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
  ticker.start(10);
  ShowPage();
  Type("Username", "engineer");
  Type("Password", "varnok-demo");
  Click("Login");
  EXPECT_FALSE(Find<QPushButton>("Login")->isEnabled()) << "buttons wait while a request runs";
  EXPECT_FALSE(Find<QPushButton>("Connect")->isEnabled());
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(Tool()->LoggedIn());
  EXPECT_GT(turns, 20) << "the event loop stood still during the request";
  EXPECT_TRUE(Find<QPushButton>("Login")->isEnabled());
}

TEST_F(VirtualSerialRemoteTest, FailedLoginIsSaidInTheLog) {
  ShowPage();
  Type("Username", "engineer");
  Type("Password", "wrong");
  Click("Login");
  ASSERT_TRUE(Idle());
  EXPECT_FALSE(Tool()->LoggedIn());
  EXPECT_TRUE(LogText().contains("Login failed: the platform refused the account"));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(VirtualSerialRemoteTest, EmptyDeviceIdAndNoAdapterAddress) {
  Tool()->SetAdapterLister([] {
    return std::vector<DtuHardwareAddress>{{0, 0, 0, 0, 0, 0}, {1, 2, 3}};
  });
  LogIn();
  ConnectTo("");
  // The time stamp, tagged with this process: two windows never share it.
  EXPECT_TRUE(std::regex_match(Tool()->LastClientId(), std::regex("\\d{14}-[0-9a-f]{8}"))) << Tool()->LastClientId();
  EXPECT_NE(ReadWholeFile(dir_.File("log.txt")).find("mac : " + Tool()->LastClientId() + "."), std::string::npos);
  // The device part of the topic is empty; the local port is closed, so the
  // message is only logged.
  MqttPeer peer;
  std::string error;
  ASSERT_TRUE(peer.Connect(broker_.Host(), broker_.Port(), "vs-test-peer", error)) << error;
  ASSERT_EQ(peer.Publish("sys/pk-demo//user/update", "hello", 1), 0);
  EXPECT_TRUE(WaitForLog("[Local-Rx]# : 5."));
  EXPECT_TRUE(messages_.size() == 1 && messages_[0] == "Login success");
}

TEST_F(VirtualSerialRemoteTest, SendTakes512BytesAndRefuses513) {
  MqttPeer peer;
  std::string error;
  ASSERT_TRUE(peer.Connect(broker_.Host(), broker_.Port(), "vs-test-peer", error)) << error;
  ASSERT_TRUE(peer.Subscribe("sys/pk-demo/860000000000099/user/get", 1));
  LogIn();
  ConnectTo("860000000000099");
  auto *send = Find<QPlainTextEdit>("SendText");
  send->setPlainText(QString(512, 'x'));
  Click("Send");
  MqttPeer::Message message;
  ASSERT_TRUE(peer.WaitMessage(message, 5000));
  EXPECT_EQ(message.payload, std::string(512, 'x'));

  send->setPlainText(QString(513, 'x'));
  Click("Send");
  EXPECT_EQ(messages_.back(), "Send content length cannot exceed 512 bytes");

  // Messages arrive in the order they were sent: had the refused text gone
  // out, it would be the next one.
  send->setPlainText("AT");
  Click("Send");
  ASSERT_TRUE(peer.WaitMessage(message, 5000));
  EXPECT_EQ(message.payload, "AT");
  const QString last = LogText().split('\n').last();
  EXPECT_TRUE(QRegularExpression("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] \\[Local Tx\\]# AT\\.AT  \\|  HEX: 41 54 $")
                  .match(last)
                  .hasMatch())
      << last.toStdString();
  EXPECT_EQ(send->toPlainText(), "AT") << "the send field keeps its text";
}

TEST_F(VirtualSerialRemoteTest, NoLinkShowsNotConnectedOnceAndCountsDrops) {
  OpenLocalPort();
  ShowPage();
  terminal_.Write("AT\r\n");
  ASSERT_TRUE(WaitForLog("(1 chunks)"));
  terminal_.Write("ATI\r\n");
  ASSERT_TRUE(WaitForLog("(2 chunks)"));
  EXPECT_EQ(messages_, std::vector<std::string>{"Not connected"});
}

TEST_F(VirtualSerialRemoteTest, LostLinkIsSaidAndConnectWorksOnceTheBrokerIsBack) {
  OpenLocalPort();
  LogIn();
  ConnectTo(kImei);
  const int port = broker_.Port();
  broker_.Stop();
  ASSERT_TRUE(WaitForLog("Cloud link lost: "));
  EXPECT_FALSE(Tool()->LinkConnected());
  EXPECT_TRUE(Find<QPushButton>("Connect")->isEnabled());

  ASSERT_TRUE(broker_.Start(port)) << broker_.ErrorText();
  ASSERT_TRUE(WaitFor([&] { return device_.Link().Reconnects() == 1; }, 20000));
  Click("Connect");
  ASSERT_TRUE(Idle());
  ASSERT_TRUE(Tool()->LinkConnected()) << LogText().toStdString();
  ExpectImeiExchange();
}

}  // namespace
