// The remote bridge end to end: a terminal on the local pseudo-terminal, the
// command port in remote mode, the cloud link, a real broker, and a remote
// device behind the broker on its own pseudo-terminal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_port.h"
#include "remote/dtu_remote_bridge.h"
#include "remote/tam_mqtt_client.h"
#include "sim/platform_remote_dtu.h"
#include "tests/remote/remote_test_support.h"
#include "sim/platform_broker.h"
#include "tests/support/pty_pair.h"

namespace {

// Collects traffic lines and user messages from the bridge's threads.
class Recorder {
 public:
  void Add(const std::string &line) {
    std::lock_guard<std::mutex> guard(lock_);
    lines_.push_back(line);
  }
  bool Has(const std::string &line) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const std::string &l : lines_) {
      if (l == line) return true;
    }
    return false;
  }
  size_t Count() {
    std::lock_guard<std::mutex> guard(lock_);
    return lines_.size();
  }

 private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};

class BridgeLocalPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DtuLangFlag = 1;
    ASSERT_TRUE(broker_.Start()) << broker_.ErrorText();
        std::string error;
    ASSERT_TRUE(remote_.Start(broker_.Host(), broker_.Port(), "pkBridge", kImei,
                              device_.SlavePath(), error))
        << error;
    DtuSerialSettings serial;
    serial.port = terminal_.SlavePath();
    ASSERT_TRUE(port_.DtuCmdPortOpen(serial, error)) << error;
    bridge_->SetTrafficLog([this](const std::string &l) { traffic_.Add(l); });
    previous_sink_ = DtuSetMessageSink([this](const std::string &t) { messages_.Add(t); });
    port_.EnterRemoteMode(bridge_);
  }
  void TearDown() override {
    port_.LeaveRemoteMode();
    bridge_->Disconnect();
    bridge_->SetTrafficLog(nullptr);
    DtuSetMessageSink(previous_sink_);
    port_.Close();
  }

  int ConnectBridge(const std::string &device_id = kImei) {
    DtuRemoteLinkSettings s;
    s.host = broker_.Host();
    s.port = broker_.Port();
    s.client_id = UniqueClientId("bridge");
    s.product_key = "pkBridge";
    s.product_secret = "secret";
    s.device_id = device_id;
    return bridge_->Connect(s);
  }

  static constexpr const char *kImei = "860000000000077";
  MosquittoBroker broker_;
  PtyPair terminal_;  // the user's terminal on the local port
  PtyPair device_;    // the remote device's serial line
  PlatformRemoteDtu remote_;
  DtuCmdPort port_;
  std::shared_ptr<DtuRemoteBridge> bridge_ = std::make_shared<DtuRemoteBridge>();
  Recorder traffic_, messages_;
  DtuMessageSink previous_sink_;
};

TEST_F(BridgeLocalPortTest, TerminalTalksToRemoteDeviceBothWays) {
  ASSERT_EQ(ConnectBridge(), 0);
  const std::string command = "AT+ZEVCFG=get|imei\r\n";
  terminal_.Write(command);
  // Raw and untrimmed at the device: nothing dispatched, nothing cleaned.
  EXPECT_EQ(ReadCount(device_, command.size(), 5000), command);

  const std::string answer("\r\nimei : 860000000000077\r\n\0\r\nOK\r\n", 33);
  device_.Write(answer);
  EXPECT_EQ(ReadCount(terminal_, answer.size(), 5000), answer);

  EXPECT_TRUE(WaitUntil([&] { return traffic_.Has("[Local-Rx]# : 33."); }, 5000));
  EXPECT_TRUE(traffic_.Has("[Local-Tx]# : 20."));
  EXPECT_EQ(messages_.Count(), 0u);
}

TEST_F(BridgeLocalPortTest, LocalBytesWithoutLinkShowNotConnectedOnceAndCountDrops) {
  terminal_.Write("AT\r\n");
  ASSERT_TRUE(WaitUntil([&] { return traffic_.Count() == 1; }, 5000));
  terminal_.Write("ATI\r\n");
  ASSERT_TRUE(WaitUntil([&] { return traffic_.Count() == 2; }, 5000));
  EXPECT_EQ(messages_.Count(), 1u) << "one box until the link state changes";
  EXPECT_TRUE(messages_.Has(DtuLangText(148)));
  EXPECT_TRUE(traffic_.Has("[Local-Tx]# not connected, dropped : 4. (1 chunks)"));
  EXPECT_TRUE(traffic_.Has("[Local-Tx]# not connected, dropped : 5. (2 chunks)"));
  // Nothing reached the device: once connected, the first bytes it gets
  // are the next line's.
  ASSERT_EQ(ConnectBridge(), 0);
  terminal_.Write("ATZ\r\n");
  EXPECT_EQ(ReadCount(device_, 5, 5000), "ATZ\r\n");

  // A connect changes the link state: the next loss shows the box again.
  bridge_->Disconnect();
  terminal_.Write("AT\r\n");
  ASSERT_TRUE(WaitUntil([&] { return messages_.Count() == 2; }, 5000));
}

TEST_F(BridgeLocalPortTest, RefusedPublishShowsSendFailed) {
  ScopedTestLog log("bridge_publish_refused");
  // A device id that is not UTF-8 makes a topic the library refuses to publish to.
  ASSERT_EQ(ConnectBridge("86000\xff"), 0);
  terminal_.Write("AT\r\n");
  ASSERT_TRUE(WaitUntil([&] { return messages_.Count() > 0; }, 5000));
  EXPECT_TRUE(messages_.Has(DtuLangText(152)));
  EXPECT_TRUE(log.Contains("MQTTClient_publishMessage failed, result : "));
  EXPECT_EQ(traffic_.Count(), 0u);
}

TEST_F(BridgeLocalPortTest, CloudMessageWhilePortClosedIsOnlyLogged) {
  ASSERT_EQ(ConnectBridge(), 0);
  port_.Close();
  device_.Write("late answer");
  EXPECT_TRUE(WaitUntil([&] { return traffic_.Has("[Local-Rx]# : 11."); }, 5000));
  // The port open again: the terminal's first bytes are the next message's.
  DtuSerialSettings serial;
  serial.port = terminal_.SlavePath();
  std::string error;
  ASSERT_TRUE(port_.DtuCmdPortOpen(serial, error)) << error;
  device_.Write("next");
  EXPECT_EQ(ReadCount(terminal_, 4, 5000), "next");
}

// The port holds the bridge only while in remote mode; then the local
// port's bytes go to the pages again.
TEST_F(BridgeLocalPortTest, LeavingRemoteModeLetsTheBridgeGo) {
  EXPECT_EQ(port_.RemotePeer(), bridge_);
  port_.LeaveRemoteMode();
  EXPECT_EQ(port_.RemotePeer(), nullptr);
  EXPECT_EQ(bridge_.use_count(), 1) << "neither the port nor the dispatcher holds the bridge";
  std::promise<void> local;
  std::once_flag first;
  port_.SetChunkDispatcher([&](const std::string &) { std::call_once(first, [&] { local.set_value(); }); });
  terminal_.Write("AT\r\n");
  auto chunk = local.get_future();
  ASSERT_EQ(chunk.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "the pages' road got the line";
  port_.SetChunkDispatcher(nullptr);
  EXPECT_EQ(traffic_.Count() + messages_.Count(), 0u) << "the bridge saw nothing of it";
}

}  // namespace

// A page removes its hooks before it goes: a hook already running on the
// MQTT thread must have ended when the removal returns, or it would reach
// the page after its end.
TEST(RemoteBridgeHooks, RemovingAHookWaitsForItsRunningCall) {
  auto bridge = std::make_shared<DtuRemoteBridge>();
  bridge->SetLocalWriter([](const char *, int length) { return length; });
  std::atomic<bool> entered{false};
  std::atomic<bool> left{false};
  bridge->SetTrafficLog([&](const std::string &) {
    entered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    left = true;
  });
  std::thread cloud([&] { bridge->FromCloud("x", 1); });
  while (!entered) std::this_thread::yield();
  bridge->SetTrafficLog(nullptr);
  EXPECT_TRUE(left);
  cloud.join();
}
