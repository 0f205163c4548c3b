// The POSIX serial driver against real pseudo-terminal pairs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/dtu_cmd_port.h"
#include "link/ring_buffer.h"
#include "link/serial_error.h"
#include "link/serial_port_posix.h"
#include "tests/support/pty_pair.h"

using namespace std::chrono_literals;

namespace {

// Records each notification and drains the bytes, like the command port does.
class RecordingListener : public CSerialPortListener {
 public:
  explicit RecordingListener(CSerialPortBase *driver) : driver_(driver) {}
  void OnSerialData(const char *, unsigned int waiting) override {
    std::vector<char> buf(waiting);
    int n = driver_->Read(buf.data(), static_cast<int>(waiting));
    std::lock_guard<std::mutex> lock(mutex_);
    if (n > 0) chunks_.emplace_back(buf.data(), static_cast<size_t>(n));
    changed_.notify_all();
  }
  std::vector<std::string> WaitForChunks(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return chunks_.size() >= count; });
    return chunks_;
  }

 private:
  CSerialPortBase *driver_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> chunks_;
};

bool OpenPort(CSerialPortPosix &port, const std::string &path, int baud = 115200) {
  port.Init(path, baud, 0, 8, 0, 0, 2048);
  port.SetIoMode(0);
  port.SetReadIdleTime(20);
  return port.Open();
}

}  // namespace

TEST(SerialErrors, TableTexts) {
  EXPECT_STREQ(DtuSerialErrorText(-1), "unknown error");
  EXPECT_STREQ(DtuSerialErrorText(0), "success");
  EXPECT_STREQ(DtuSerialErrorText(3), "innet error");
  EXPECT_STREQ(DtuSerialErrorText(6), "access denied error");
  EXPECT_STREQ(DtuSerialErrorText(12), "not exist error");
  EXPECT_STREQ(DtuSerialErrorText(14), "not open error");
  EXPECT_STREQ(DtuSerialErrorText(18), "read failed error");
  EXPECT_STREQ(DtuSerialErrorText(19), "undefined error code");
  EXPECT_STREQ(DtuSerialErrorText(-2), "undefined error code");
}

TEST(RingBufferTest, CapacityRoundsAndOverwritesOldest) {
  EXPECT_EQ(RingBuffer(0).Capacity(), 4096u);
  EXPECT_EQ(RingBuffer((1u << 30) + 1).Capacity(), 4096u);
  EXPECT_EQ(RingBuffer(2000).Capacity(), 2048u);
  RingBuffer ring(2048);
  std::string data;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>('a' + i % 26));
  ring.Write(data.data(), 1000);
  ring.Write(data.data() + 1000, 2000);
  EXPECT_TRUE(ring.IsFull());
  std::string out(4096, '\0');
  ASSERT_EQ(ring.Read(&out[0], 4096), 2048u);
  EXPECT_EQ(out.substr(0, 2048), data.substr(952));
  EXPECT_TRUE(ring.IsEmpty());
  ring.Write(data.data(), 3000);  // one write larger than the ring
  ASSERT_EQ(ring.Read(&out[0], 10), 10u);
  EXPECT_EQ(out.substr(0, 10), data.substr(952, 10));
  EXPECT_EQ(ring.Size(), 2038u);
}

TEST(SerialDriver, OpenErrorsNameTheCause) {
  CSerialPortPosix port;
  EXPECT_FALSE(OpenPort(port, "/dev/no-such-serial-port"));
  EXPECT_STREQ(port.GetLastErrorText(), "not exist error");
  EXPECT_FALSE(OpenPort(port, ""));
  EXPECT_STREQ(port.GetLastErrorText(), "not exist error");
  EXPECT_FALSE(OpenPort(port, "/dev/null"));  // not a terminal
  EXPECT_STREQ(port.GetLastErrorText(), "open failed error");
  EXPECT_FALSE(port.IsOpen());
}

TEST(SerialDriver, LongDevicePathIsNotCut) {
  PtyPair pty;
  ASSERT_GT(pty.SlavePath().size(), 6u);
  CSerialPortPosix port;
  ASSERT_TRUE(OpenPort(port, pty.SlavePath())) << port.GetLastErrorText();
  EXPECT_EQ(port.GetPortName(), pty.SlavePath());
  port.Close();
}

TEST(SerialDriver, PortHeldElsewhereIsAccessDenied) {
  PtyPair pty;
  CSerialPortPosix first, second;
  ASSERT_TRUE(OpenPort(first, pty.SlavePath()));
  EXPECT_FALSE(OpenPort(second, pty.SlavePath()));
  EXPECT_STREQ(second.GetLastErrorText(), "access denied error");
  first.Close();

  // Another process holding the port.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    char ok = (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
    ssize_t ignored = write(ready[1], &ok, 1);
    (void)ignored;
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  EXPECT_FALSE(OpenPort(second, pty.SlavePath()));
  EXPECT_STREQ(second.GetLastErrorText(), "access denied error");
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_TRUE(OpenPort(second, pty.SlavePath())) << second.GetLastErrorText();
}

TEST(SerialDriver, WriteOnClosedPortFails) {
  CSerialPortPosix port;
  EXPECT_EQ(port.Write("AT\r\n", 4), -1);
  EXPECT_EQ(port.GetLastErrorCode(), kSerialNotOpen);
  EXPECT_STREQ(port.GetLastErrorText(), "not open error");
  char buf[4];
  EXPECT_EQ(port.Read(buf, 4), -1);
  EXPECT_EQ(port.Read(buf, 0), 0);
  EXPECT_EQ(port.ReadLine(buf, 4), -1);
  EXPECT_EQ(port.GetLastErrorCode(), kSerialNotOpen);
}

TEST(SerialDriver, WritesReachTheOtherEndExactly) {
  PtyPair pty;
  CSerialPortPosix port;
  ASSERT_TRUE(OpenPort(port, pty.SlavePath()));
  const std::string line("AT+ZEVCFG=get|version\r\n\0", 24);
  EXPECT_EQ(port.Write(line.data(), 24), 24);
  EXPECT_EQ(pty.ReadUntil(std::string("\0", 1), 2s), line);
  char buf[4];
  EXPECT_EQ(port.ReadLine(buf, 4), -1);
  EXPECT_EQ(port.GetLastErrorCode(), kSerialNotImplemented);
}

TEST(SerialDriver, BurstsCloserThanTheGapCoalesceFartherOnesDoNot) {
  PtyPair pty;
  CSerialPortPosix port;
  ASSERT_TRUE(OpenPort(port, pty.SlavePath()));
  // Two bursts 2 ms apart make one notification. A machine loaded enough to
  // stretch 2 ms past the 20 ms gap gets another try; a driver that does
  // not wait for the gap fails every time.
  bool coalesced = false;
  for (int attempt = 0; attempt < 3 && !coalesced; ++attempt) {
    RecordingListener listener(&port);
    port.AttachListener(&listener);
    pty.Write("\r\nversion : V1");
    std::this_thread::sleep_for(2ms);
    pty.Write(".0\r\n\r\nOK\r\n");
    listener.WaitForChunks(1, 2s);
    // Written after the notification, so it is a burst of its own: a second
    // notification for the first burst would come before it.
    pty.Write("next");
    auto chunks = listener.WaitForChunks(2, 2s);
    port.DetachListener();
    coalesced = chunks.size() == 2 && chunks[0] == "\r\nversion : V1.0\r\n\r\nOK\r\n" && chunks[1] == "next";
    port.FlushRx();
  }
  EXPECT_TRUE(coalesced);

  RecordingListener listener(&port);
  port.AttachListener(&listener);
  pty.Write("first");
  listener.WaitForChunks(1, 2s);  // the quiet gap ended it
  pty.Write("second");
  auto chunks = listener.WaitForChunks(2, 2s);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "first");
  EXPECT_EQ(chunks[1], "second");
  port.DetachListener();
  port.Close();
}

TEST(SerialDriver, ReceiveRingKeepsTheNewestBytes) {
  PtyPair pty;
  CSerialPortPosix port;
  ASSERT_TRUE(OpenPort(port, pty.SlavePath()));
  std::string data;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>('A' + i % 23));
  pty.Write(data);
  for (int i = 0; i < 200 && port.GetPendingBytes() < 2048; ++i) std::this_thread::sleep_for(5ms);
  std::this_thread::sleep_for(100ms);  // let the rest of the burst arrive
  std::string out(4096, '\0');
  int n = port.Read(&out[0], 4096);
  ASSERT_EQ(n, 2048);
  EXPECT_EQ(out.substr(0, 2048), data.substr(952));
}

TEST(SerialDriver, StreamLongerThanTheRingReachesAListenerWhole) {
  PtyPair pty;
  CSerialPortPosix port;
  ASSERT_TRUE(OpenPort(port, pty.SlavePath()));
  RecordingListener listener(&port);
  port.AttachListener(&listener);
  std::string data;
  for (int i = 0; i < 20000; ++i) data.push_back(static_cast<char>('a' + i % 26));
  pty.Write(data);  // no quiet gap: the ring fills up many times over
  std::string got;
  for (int i = 0; i < 400 && got.size() < data.size(); ++i) {
    std::this_thread::sleep_for(5ms);
    got.clear();
    for (const auto &chunk : listener.WaitForChunks(0, 0ms)) got += chunk;
  }
  EXPECT_EQ(got.size(), data.size());
  EXPECT_TRUE(got == data) << "bytes lost or reordered";
  port.DetachListener();
  port.Close();
}

TEST(SerialDriver, HangUpStopsTheReaderAndTellsTheOwnerOnce) {
  PtyPair pty;
  CSerialPortPosix port;
  RecordingListener listener(&port);
  std::atomic<int> lost{0};
  std::atomic<int> lost_code{0};
  port.SetPortLostCallback([&](int code) {
    lost_code = code;
    ++lost;
  });
  ASSERT_TRUE(OpenPort(port, pty.SlavePath()));
  port.AttachListener(&listener);
  pty.Write("last words");
  listener.WaitForChunks(1, 2s);
  pty.CloseSlave();
  pty.CloseMaster();
  for (int i = 0; i < 400 && lost == 0; ++i) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(port.Write("x", 1), -1);
  port.DetachListener();
  port.Close();  // joins the reader: whatever it was going to report, it has
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(lost_code, kSerialReadFailed);
  auto chunks = listener.WaitForChunks(1, 0ms);
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0], "last words");
}

TEST(PortList, OnlyDevicesWithHardwareBehindThem) {
  PtyPair pty;  // a pseudo-terminal is no serial port
  for (const auto &port : DtuListSerialPorts()) {
    EXPECT_EQ(port.path.rfind("/dev/", 0), 0u) << port.path;
    EXPECT_NE(port.path, pty.SlavePath());
    EXPECT_EQ(port.path.find("/dev/pts/"), std::string::npos) << port.path;
    EXPECT_NE(port.path, "/dev/tty");
    EXPECT_NE(port.path, "/dev/console");
  }
}
