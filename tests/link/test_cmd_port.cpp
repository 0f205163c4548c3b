// The command port end to end over a pseudo-terminal: open/close sequence,
// sender pacing, listener cleaning, raw send and the unplugged device.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/dtu_message.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_resp_table.h"
#include "link/dtu_cmd_ring.h"
#include "link/serial_port_base.h"
#include "tests/support/pty_pair.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Plays the device on the master side: records each line it receives and
// answers it through `answer` (an empty answer means stay silent).
class ScriptedDevice {
 public:
  using Answer = std::function<std::string(const std::string &line)>;
  ScriptedDevice(PtyPair &pty, Answer answer) : pty_(pty), answer_(std::move(answer)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~ScriptedDevice() {
    stop_ = true;
    thread_.join();
  }
  struct Received {
    std::string line;
    Clock::time_point at;
    Clock::time_point answered_at;
  };
  std::vector<Received> WaitForLines(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return lines_.size() >= count; });
    return lines_;
  }

 private:
  void Run() {
    std::string pending;
    while (!stop_) {
      pollfd pfd{pty_.MasterFd(), POLLIN, 0};
      if (pfd.fd < 0 || ::poll(&pfd, 1, 10) <= 0) continue;
      char buf[4096];
      ssize_t n = ::read(pfd.fd, buf, sizeof(buf));
      if (n <= 0) continue;
      pending.append(buf, static_cast<size_t>(n));
      size_t end;
      while ((end = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, end + 1);
        pending.erase(0, end + 1);
        Received r{line, Clock::now(), {}};
        std::string reply = answer_(line);
        if (!reply.empty()) pty_.Write(reply);
        r.answered_at = Clock::now();
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(r);
        changed_.notify_all();
      }
    }
  }
  PtyPair &pty_;
  Answer answer_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Received> lines_;
  std::thread thread_;
};

std::string KeyAnswer(const std::string &line) {
  size_t bar = line.find('|');
  std::string key = line.substr(bar + 1, line.find_first_of("|\r\n", bar + 1) - bar - 1);
  return "\r\n" + key + " : value\r\n\r\nOK\r\n";
}

class CmdPort : public ::testing::Test {
 protected:
  void SetUp() override {
    // A pty that goes before the port closes counts as an unplug: keep its
    // message out of the test output.
    previous_sink_ = DtuSetMessageSink([](const std::string &) {});
    DtuCmdDetachAllHandlers();
    port_.SetChunkDispatcher([this](const std::string &chunk) {
      std::lock_guard<std::mutex> lock(mutex_);
      chunks_.push_back(chunk);
      changed_.notify_all();
    });
  }
  void TearDown() override {
    port_.Close();
    DtuSetMessageSink(previous_sink_);
  }
  bool Open(const std::string &path) {
    std::string error;
    DtuSerialSettings settings;
    settings.port = path;
    bool ok = port_.DtuCmdPortOpen(settings, error);
    if (!ok) last_error_ = error;
    return ok;
  }
  std::vector<std::string> WaitForChunks(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return chunks_.size() >= count; });
    return chunks_;
  }
  static int Queue(const std::string &line) {
    return DtuCmdPort::DtuCmdRingbufSend(line.data(), static_cast<int>(line.size()));
  }

  DtuMessageSink previous_sink_;
  // The port-lost report; declared before the port, which may still report
  // from its own thread while it is destroyed.
  std::mutex lost_mutex_;
  std::condition_variable lost_cv_;
  std::string lost_text_;
  DtuCmdPort port_;
  std::string last_error_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> chunks_;
};

}  // namespace

TEST_F(CmdPort, OpenFailureLeavesThePortClosed) {
  EXPECT_FALSE(Open(""));
  EXPECT_EQ(last_error_, "not exist error");
  EXPECT_FALSE(Open("/dev/no-such-tty"));
  EXPECT_EQ(last_error_, "not exist error");
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(DtuCmdPort::OpenInstance(), nullptr);
}

TEST_F(CmdPort, OpenSetsTheReferenceCloseClearsIt) {
  PtyPair pty;
  ASSERT_TRUE(Open(pty.SlavePath())) << last_error_;
  EXPECT_EQ(DtuCmdPort::OpenInstance(), &port_);
  EXPECT_EQ(port_.Driver().GetReadIdleTime(), 20u);
  EXPECT_EQ(port_.Driver().GetReadBufferSize(), 2048u);
  EXPECT_FALSE(Open(pty.SlavePath()));
  port_.Close();
  EXPECT_EQ(DtuCmdPort::OpenInstance(), nullptr);
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(port_.SendRaw("AT"), -1);
  EXPECT_STREQ(port_.Driver().GetLastErrorText(), "not open error");
}

TEST_F(CmdPort, QueuedCommandsGoOutOneByOneEachAfterTheAnswer) {
  PtyPair pty;
  ScriptedDevice device(pty, [](const std::string &line) {
    std::this_thread::sleep_for(30ms);  // the device thinks a while
    return KeyAnswer(line);
  });
  ASSERT_TRUE(Open(pty.SlavePath()));
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Queue("AT+ZEVCFG=get|key" + std::to_string(i) + "\r\n"), 0);
  auto lines = device.WaitForLines(10, 10s);
  ASSERT_EQ(lines.size(), 10u);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].line, "AT+ZEVCFG=get|key" + std::to_string(i) + "\r\n");
    if (i > 0) {
      EXPECT_GE(lines[i].at, lines[i - 1].answered_at) << "command " << i << " did not wait for the answer";
      EXPECT_GE(lines[i].at - lines[i - 1].at, 50ms) << i;
    }
  }
  auto chunks = WaitForChunks(10, 5s);
  ASSERT_EQ(chunks.size(), 10u);
  EXPECT_EQ(chunks[0], "key0 : value");  // cleaned: no line ends, no OK
  for (int i = 0; i < 100 && port_.CommandsAnswered() < 10; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(port_.CommandsAnswered(), 10);
}

TEST_F(CmdPort, SilentDeviceHoldsTheNextCommandForFiveSeconds) {
  PtyPair pty;
  std::atomic<int> seen{0};
  ScriptedDevice device(pty, [&](const std::string &line) { return ++seen == 1 ? std::string() : KeyAnswer(line); });
  ASSERT_TRUE(Open(pty.SlavePath()));
  Queue("AT+ZEVCFG=get|first\r\n");
  Queue("AT+ZEVCFG=get|second\r\n");
  auto lines = device.WaitForLines(2, 10s);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_GE(lines[1].at - lines[0].at, 4900ms);
  EXPECT_EQ(lines[1].line, "AT+ZEVCFG=get|second\r\n");
  EXPECT_EQ(port_.CommandsWritten(), 2);
}

TEST_F(CmdPort, RawSendIsNeitherEscapedNorQueued) {
  PtyPair pty;
  ASSERT_TRUE(Open(pty.SlavePath()));
  EXPECT_EQ(port_.SendRaw("AT"), 4);
  EXPECT_EQ(pty.ReadUntil("\r\n", 2s), "AT\r\n");
  EXPECT_EQ(port_.SendRaw("set|a|b,c"), 11);
  EXPECT_EQ(pty.ReadUntil("\r\n", 2s), "set|a|b,c\r\n");
  EXPECT_EQ(port_.WriteRaw("\x01\x00\x02", 3), 3);
  EXPECT_EQ(pty.ReadFor(200ms), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);
}

TEST_F(CmdPort, EscapedLineIsWhatGoesOnTheWire) {
  PtyPair pty;
  ScriptedDevice device(pty, KeyAnswer);
  ASSERT_TRUE(Open(pty.SlavePath()));
  Queue("AT+ZEVCFG=set|mqtt-password|a|b,c\r\n");
  auto lines = device.WaitForLines(1, 5s);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].line, "AT+ZEVCFG=set|mqtt-password|a[dec]b[comma]c\r\n");
}

TEST_F(CmdPort, CloseAndReopenDropsWaitingCommands) {
  PtyPair pty;
  ScriptedDevice device(pty, [](const std::string &) { return std::string(); });  // silent
  ASSERT_TRUE(Open(pty.SlavePath()));
  for (int i = 0; i < 5; ++i) Queue("AT+ZEVCFG=get|k" + std::to_string(i) + "\r\n");
  ASSERT_EQ(device.WaitForLines(1, 2s).size(), 1u);
  port_.Close();
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);
  ASSERT_TRUE(Open(pty.SlavePath()));
  // A command kept from before the close would go out ahead of this one (the
  // ring keeps its order): the fresh line coming second shows none was.
  Queue("AT+ZEVCFG=get|fresh\r\n");  // the busy flag starts clear again
  auto lines = device.WaitForLines(2, 2s);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].line, "AT+ZEVCFG=get|fresh\r\n");
}

TEST_F(CmdPort, RemoteModeHandsOverRawBytes) {
  PtyPair pty;
  ASSERT_TRUE(Open(pty.SlavePath()));
  DtuCmdSetRemoteMode(true);
  pty.Write("\r\nraw : 1\r\nOK\r\n");
  auto chunks = WaitForChunks(1, 2s);
  DtuCmdSetRemoteMode(false);
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0], "\r\nraw : 1\r\nOK\r\n");
}

TEST_F(CmdPort, HostileBytesFromTheDeviceAreSurvived) {
  PtyPair pty;
  ASSERT_TRUE(Open(pty.SlavePath()));
  pty.Write(std::string("\0\0imei : 1\r\n", 13));
  std::this_thread::sleep_for(100ms);
  pty.Write(std::string(65536, 'z'));
  std::this_thread::sleep_for(100ms);
  pty.Write("  \t\r\n");
  std::this_thread::sleep_for(100ms);
  pty.Write("\xff\xfe imei : \xc3\r\nOK");
  auto chunks = WaitForChunks(4, 3s);
  for (int i = 0; i < 100 && chunks.back() != "\xff\xfe imei : \xc3"; ++i) chunks = WaitForChunks(chunks.size() + 1, 20ms);
  ASSERT_GE(chunks.size(), 4u);
  EXPECT_EQ(chunks.front(), "");  // the text ends at the first NUL
  EXPECT_EQ(chunks.back(), "\xff\xfe imei : \xc3");
  for (const auto &c : chunks) EXPECT_LE(c.size(), 2048u);
  EXPECT_TRUE(port_.IsOpen());
}

TEST_F(CmdPort, UnpluggedDeviceClosesThePortCleanlyAndReopenWorks) {
  auto pty = std::make_unique<PtyPair>();
  port_.SetPortLostHandler([this](const std::string &text) {
    std::lock_guard<std::mutex> lock(lost_mutex_);
    lost_text_ = text;
    lost_cv_.notify_all();
  });
  {
    ScriptedDevice device(*pty, [](const std::string &) {
      return std::string("\r\nimei");  // half an answer, then the cable goes
    });
    ASSERT_TRUE(Open(pty->SlavePath()));
    for (int i = 0; i < 20; ++i) Queue("AT+ZEVCFG=get|imei\r\n");
    ASSERT_GE(device.WaitForLines(1, 2s).size(), 1u);
  }
  pty->CloseSlave();
  pty->CloseMaster();
  {
    std::unique_lock<std::mutex> lock(lost_mutex_);
    lost_cv_.wait_for(lock, 5s, [&] { return !lost_text_.empty(); });
  }
  EXPECT_EQ(lost_text_, "the port was closed: read failed error");
  for (int i = 0; i < 100 && port_.IsOpen(); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(DtuCmdPort::OpenInstance(), nullptr);
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);

  PtyPair back;
  ScriptedDevice device(back, KeyAnswer);
  ASSERT_TRUE(Open(back.SlavePath())) << last_error_;
  Queue("AT+ZEVCFG=get|version\r\n");
  auto lines = device.WaitForLines(1, 2s);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].line, "AT+ZEVCFG=get|version\r\n");
}
