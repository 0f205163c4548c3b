// The link against what a slow line, a long line or another program does to
// it: the quiet gap at low baud rates, a cut line keeps its line end, the port
// is handed back as it was found, and "in use" is told from "no permission".
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_protocol.h"
#include "link/serial_line_timing.h"
#include "link/serial_port_posix.h"
#include "tests/support/pty_pair.h"
#include "tests/support/sim_link.h"

using namespace std::chrono_literals;

namespace {

struct GapCase {
  int baud, data_bits, parity, stop_bits;
  unsigned int gap_ms;
};

class QuietGap : public ::testing::TestWithParam<GapCase> {};

TEST_P(QuietGap, LongerOfTwentyMsAndThreeAndAHalfCharacters) {
  const GapCase c = GetParam();
  EXPECT_EQ(DtuQuietGapMs(c.baud, c.data_bits, c.parity, c.stop_bits), c.gap_ms);
}

INSTANTIATE_TEST_SUITE_P(Rates, QuietGap,
                         ::testing::Values(GapCase{115200, 8, 0, 0, 20}, GapCase{9600, 8, 0, 0, 20},
                                           GapCase{1200, 8, 0, 0, 30},    // 29.2 ms
                                           GapCase{300, 8, 0, 0, 117},    // 10 bits: 116.7 ms
                                           GapCase{300, 8, 2, 2, 140},    // 12 bits
                                           GapCase{300, 7, 1, 1, 123},    // 10.5 bits: 122.5 ms
                                           GapCase{0, 8, 0, 0, 20}));

// At 300 baud a byte takes 33 ms: with a 20 ms gap every byte would end the
// command's wait on its own.
TEST(SlowLine, AnswerAt300BaudArrivesAsOneChunk) {
  DtuSimOptions options;
  options.baud = 300;
  auto sim = StartDtuSim(options);
  std::mutex mutex;
  std::vector<std::string> chunks;
  DtuCmdPort port;
  port.SetChunkDispatcher([&](const std::string &chunk) {
    std::lock_guard<std::mutex> lock(mutex);
    chunks.push_back(chunk);
  });
  DtuSerialSettings settings;
  settings.port = sim->SlavePath();
  settings.baud = 300;
  std::string error;
  ASSERT_TRUE(port.DtuCmdPortOpen(settings, error)) << error;
  // The second answer comes after every byte of the first: a first answer
  // cut in two would show its second half in its place.
  for (const std::string &line : std::vector<std::string>{"AT+ZEVCFG=get|imei\r\n", "AT+ZEVCFG=get|version\r\n"}) {
    ASSERT_EQ(DtuCmdPort::DtuCmdRingbufSend(line.data(), static_cast<int>(line.size())), 0);
  }
  for (int i = 0; i < 800 && port.CommandsAnswered() < 2; ++i) std::this_thread::sleep_for(10ms);
  port.Close();
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "imei : 862104051234567");
  EXPECT_EQ(chunks[1], "version : VN-DTU-V1.0.3");
}

// A password line longer than a slot is cut, but still ends its line: the
// next command arrives as a line of its own, not as the end of the password.
TEST(LongLine, CutLineKeepsItsLineEndAndTheNextCommandStaysApart) {
  SimLink link;
  ASSERT_EQ(link.Queue("AT+ZEVCFG=set|mqtt-password|" + std::string(2100, 'p') + "\r\n"), 0);
  ASSERT_EQ(link.Queue("AT+ZEVCFG=get|imei\r\n"), 0);
  auto lines = link.Sim().WaitForLines(2, 15s);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 2040u);  // cut at 2038, then CR LF
  EXPECT_EQ(lines[0].substr(2038), "\r\n");
  EXPECT_EQ(lines[1], "AT+ZEVCFG=get|imei\r\n");
  EXPECT_TRUE(DtuCmdLineFitsSlot("AT\r\n", 4));
  const std::string long_line = "AT+ZEVCFG=set|k|" + std::string(2030, ',') + "\r\n";
  EXPECT_FALSE(DtuCmdLineFitsSlot(long_line.data(), static_cast<int>(long_line.size())));
}

int ExclusiveFlag(int fd) {
  int excl = -1;
  return ioctl(fd, TIOCGEXCL, &excl) == 0 ? excl : -1;
}

bool SameLine(const termios &a, const termios &b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

// The next program finds the port as this one found it.
TEST(PortHandBack, CloseRestoresTheSettingsAndDropsExclusiveUse) {
  PtyPair pty;
  int probe = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(probe, 0);
  termios before{};
  ASSERT_EQ(tcgetattr(probe, &before), 0);
  CSerialPortPosix port;
  port.Init(pty.SlavePath(), 9600, 2, 7, 2, 0, 2048);
  ASSERT_TRUE(port.Open()) << port.GetLastErrorText();
  termios during{};
  ASSERT_EQ(tcgetattr(probe, &during), 0);
  EXPECT_FALSE(SameLine(before, during));
  EXPECT_EQ(ExclusiveFlag(probe), 1);
  port.Close();
  termios after{};
  ASSERT_EQ(tcgetattr(probe, &after), 0);
  EXPECT_TRUE(SameLine(before, after));
  EXPECT_EQ(ExclusiveFlag(probe), 0);
  ::close(probe);
}

// Run in a child that becomes an ordinary user: what its open says.
DtuPortOpenFailure OpenAsNobody(const std::string &path) {
  pid_t child = fork();
  if (child == 0) {
    const passwd *nobody = getpwnam("nobody");
    if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(100);
    DtuCmdPort port;
    DtuSerialSettings settings;
    settings.port = path;
    std::string error;
    port.DtuCmdPortOpen(settings, error);
    _exit(static_cast<int>(port.LastOpenFailure()));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return static_cast<DtuPortOpenFailure>(WEXITSTATUS(status));
}

TEST(PortOpenFailure, InUseIsToldApartFromNoPermission) {
  auto sim = StartDtuSim();
  DtuSerialSettings settings;
  settings.port = sim->SlavePath();
  std::string error;
  DtuCmdPort holder;
  ASSERT_TRUE(holder.DtuCmdPortOpen(settings, error));
  DtuCmdPort second;
  EXPECT_FALSE(second.DtuCmdPortOpen(settings, error));
  EXPECT_EQ(error, "access denied error");
  EXPECT_EQ(second.LastOpenFailure(), DtuPortOpenFailure::kInUse);
  holder.Close();

  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  ASSERT_EQ(::chmod(sim->SlavePath().c_str(), 0600), 0);
  EXPECT_EQ(OpenAsNobody(sim->SlavePath()), DtuPortOpenFailure::kNoPermission);
  ASSERT_TRUE(second.DtuCmdPortOpen(settings, error)) << error;
  EXPECT_EQ(second.LastOpenFailure(), DtuPortOpenFailure::kNone);
}

}  // namespace
