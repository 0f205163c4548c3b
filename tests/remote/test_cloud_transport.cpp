// The command port on the cloud transport: a port named cloud:<IMEI> reaches
// a simulated remote device of the platform's fleet through a real mosquitto,
// with the command ring, the sender and its outcomes as on a serial port.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"
#include "link/dtu_cmd_port.h"
#include "remote/dtu_cloud_transport.h"
#include "sim/platform_broker.h"
#include "sim/platform_fleet.h"

namespace {

using namespace std::chrono_literals;

// What the port reported: cleaned chunks, the queued lines' outcomes, a loss.
class PortWatch {
 public:
  explicit PortWatch(DtuCmdPort &port) {
    port.SetChunkDispatcher([this](const std::string &chunk) { Add(chunks_, chunk); });
    port.SetOutcomeDispatcher([this](const DtuCmdReport &r) { Add(outcomes_, r.outcome); });
    port.SetPortLostHandler([this](const std::string &text) { Add(lost_, text); });
    owner_ = DtuCmdAddOwner([](const DtuCmdReport &) {});
  }
  ~PortWatch() { DtuCmdRemoveOwner(owner_); }

  void Queue(const std::string &line) {
    ASSERT_EQ(DtuCmdPort::DtuCmdRingbufSend(line.c_str(), static_cast<int>(line.size()), DtuCmdTag{owner_, 1, 0}), 0);
  }
  // Waits until `count` outcomes came; returns them.
  std::vector<DtuCmdOutcome> Outcomes(size_t count) { return Wait(outcomes_, count); }
  std::vector<std::string> Chunks(size_t count) { return Wait(chunks_, count); }
  std::vector<std::string> Lost() { return Wait(lost_, 1); }

 private:
  template <typename T>
  void Add(std::vector<T> &into, const T &item) {
    std::lock_guard<std::mutex> guard(lock_);
    into.push_back(item);
    changed_.notify_all();
  }
  template <typename T>
  std::vector<T> Wait(std::vector<T> &from, size_t count) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, 10s, [&] { return from.size() >= count; });
    return from;
  }

  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::string> chunks_;
  std::vector<DtuCmdOutcome> outcomes_;
  std::vector<std::string> lost_;
  int owner_ = 0;
};

class CloudTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(broker_.Start()) << broker_.ErrorText();
    PlatformFleetConfig config;
    config.product_key = "pk-demo";
    config.product_secret = "ps-demo";
    config.devices = PlatformFleetDeviceList(2);
    config.brokers = {{broker_.Host(), broker_.Port()}};
    std::string error;
    ASSERT_TRUE(fleet_.Start(config, error)) << error;
    DtuCloudTransportSettings settings;
    settings.brokers = config.brokers;
    settings.product_key = config.product_key;
    settings.product_secret = config.product_secret;
    DtuCloudTransportInstall(settings);
  }
  void TearDown() override {
    port_.Close();
    DtuCloudTransportRemove();
    fleet_.Stop();
  }

  std::string Open(const std::string &name) {
    DtuSerialSettings settings;
    settings.port = name;
    std::string error;
    return port_.DtuCmdPortOpen(settings, error) ? std::string() : error;
  }

  MosquittoBroker broker_;
  PlatformFleet fleet_;
  DtuCmdPort port_;
};

TEST_F(CloudTransportTest, QueriesAndSetsReachTheRemoteDeviceAndItsAnswersComeBack) {
  PortWatch watch(port_);
  ASSERT_EQ(Open(DtuCloudPortName("860000000000002")), "");
  watch.Queue("AT+ZEVCFG=get|mqtt-clientId\r\n");
  watch.Queue("AT+ZEVCFG=set|mqtt-addr|fleet.example\r\n");
  const std::vector<DtuCmdOutcome> outcomes = watch.Outcomes(2);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0], DtuCmdOutcome::kAnswered);
  EXPECT_EQ(outcomes[1], DtuCmdOutcome::kAnswered);
  const std::vector<std::string> chunks = watch.Chunks(2);
  ASSERT_GE(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "mqtt-clientId : dtu-860000000000002");
  EXPECT_EQ(chunks[1], "mqtt-addr : fleet.example");
  EXPECT_EQ(fleet_.Device(1).Store().Value("mqtt-addr"), "fleet.example");
  EXPECT_EQ(fleet_.Device(0).LinesReceived(), 0) << "the other device heard nothing";
}

TEST_F(CloudTransportTest, ABrokerThatGoesAwayIsALostPortThatSaysSo) {
  PortWatch watch(port_);
  ASSERT_EQ(Open(DtuCloudPortName("860000000000001")), "");
  broker_.Stop();
  const std::vector<std::string> lost = watch.Lost();
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_NE(lost[0].find("the port was closed: the broker dropped the connection"), std::string::npos) << lost[0];
}

TEST_F(CloudTransportTest, OpenFailuresNameTheirCause) {
  EXPECT_NE(Open("cloud:").find("no device given"), std::string::npos);
  const int port = broker_.Port();
  broker_.Stop();
  EXPECT_NE(Open(DtuCloudPortName("860000000000001")).find("cannot connect to 127.0.0.1:" + std::to_string(port)),
            std::string::npos);
  EXPECT_FALSE(port_.IsOpen());
}

}  // namespace
