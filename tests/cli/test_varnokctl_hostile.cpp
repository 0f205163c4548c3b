// varnokctl as a process against hostile devices, files and ends: a line
// the slot would cut, escape sequences from the device, signals that end it
// with the port open, a log it cannot open, a Read left incomplete, a port
// lost mid-read, a blank answer, and configuration "files" that are FIFOs.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "link/dtu_cmd_port.h"
#include "tests/support/pty_pair.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;

namespace {

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

Outcome Varnokctl(const QStringList &args, const QString &cwd = QString()) {
  QProcess process;
  if (!cwd.isEmpty()) process.setWorkingDirectory(cwd);
  process.start(VARNOKCTL_PATH, args);
  if (!process.waitForFinished(90000)) {
    process.kill();
    process.waitForFinished();
    return {-1, "", "timed out"};
  }
  return {process.exitCode(), process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

QString Q(const std::string &text) { return QString::fromStdString(text); }

bool AnySetOnTheWire(DtuSim &sim) {
  for (const std::string &line : sim.ReceivedLines()) {
    if (line.rfind("AT+ZEVCFG=set|", 0) == 0) return true;
  }
  return false;
}

struct IncompleteRead {
  const char *name;
  int latency_ms;
  int split_gap_ms;
  const char *error_key;
  const char *named;  // a key (or field) the message must name
  int code;           // 3: no answer of its own; 6: the device refused a line
  const char *says;
};

class VarnokctlIncompleteRead : public ::testing::TestWithParam<IncompleteRead> {};

// An answer cut by a pause, or an ERROR, leaves fields blank or cut: `set`
// must not write them over the device's settings, `read` must not print them.
TEST_P(VarnokctlIncompleteRead, SetWritesNothingAndReadPrintsNothing) {
  DtuSimOptions options;
  options.latency_ms = GetParam().latency_ms;
  options.split_gap_ms = GetParam().split_gap_ms;
  if (*GetParam().error_key) options.error_keys.insert(GetParam().error_key);
  auto sim = StartDtuSim(options);
  // A shifted answer may leave a query to the sender's 5 s fallback: time
  // enough for every query to get its outcome.
  Outcome set = Varnokctl({"set", "-p", Q(sim->SlavePath()), "--timeout", "60", "mqtt", "Qos=1"});
  EXPECT_EQ(set.exit_code, GetParam().code) << set.err;
  EXPECT_NE(set.err.find(GetParam().says), std::string::npos) << set.err;
  EXPECT_NE(set.err.find(GetParam().named), std::string::npos) << set.err;
  EXPECT_FALSE(AnySetOnTheWire(*sim));
  EXPECT_EQ(sim->Store().Value("mqtt-addr"), DtuSimStore().Value("mqtt-addr"));
  Outcome read = Varnokctl({"read", "-p", Q(sim->SlavePath()), "--timeout", "60", "mqtt"});
  EXPECT_EQ(read.exit_code, GetParam().code) << read.err;
  EXPECT_EQ(read.out, "");
}

INSTANTIATE_TEST_SUITE_P(Faults, VarnokctlIncompleteRead,
                         ::testing::Values(IncompleteRead{"OneKeyAnswersError", 0, 0, "mqtt-port", "Port", 6,
                                                          "The device refused Port (ERROR)"}),
                         [](const ::testing::TestParamInfo<IncompleteRead> &info) {
                           return std::string(info.param.name);
                         });

// The device goes away in the middle of a Read: the verb ends at once with
// 5 instead of waiting out its 60 s time-out.
TEST(VarnokctlHostile, PortLostDuringReadEndsAtOnceWithFive) {
  DtuSimOptions options;
  options.unplug_after = 2;
  auto sim = StartDtuSim(options);
  Outcome r = Varnokctl({"read", "-p", Q(sim->SlavePath()), "--timeout", "60", "mqtt"});
  EXPECT_EQ(r.exit_code, 5) << r.err;
  EXPECT_NE(r.err.find("the port was closed"), std::string::npos) << r.err;
}

TEST(VarnokctlHostile, LineTheSlotWouldCutIsRefusedAndNothingSent) {
  auto sim = StartDtuSim();
  const std::string line = "AT+ZEVCFG=set|mqtt-password|" + std::string(2100, 'p');
  Outcome r = Varnokctl({"send", "-p", Q(sim->SlavePath()), "AT+ZEVCFG=get|imei", Q(line)});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("line 2 is too long for one command"), std::string::npos) << r.err;
  // The simulator reads its line in order: a line the refused send let out
  // would stand before this one.
  ASSERT_EQ(Varnokctl({"send", "-p", Q(sim->SlavePath()), "AT+ZEVCFG=get|version"}).exit_code, 0);
  EXPECT_EQ(sim->ReceivedLines(), std::vector<std::string>{"AT+ZEVCFG=get|version\r\n"});
}

// An OSC 52 clipboard write from the device reaches the terminal escaped.
TEST(VarnokctlHostile, DeviceEscapeSequencesArePrintedEscaped) {
  auto sim = StartDtuSim();
  const std::string osc = "\x1b]52;c;ZWNobyBoaQ==\x07";
  Outcome r = Varnokctl({"send", "-p", Q(sim->SlavePath()), Q("AT+ZEVCFG=set|mqtt-password|" + osc)});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "mqtt-password : \\x1b]52;c;ZWNobyBoaQ==\\x07\n");
  Outcome read = Varnokctl({"read", "-p", Q(sim->SlavePath()), "mqtt"});
  EXPECT_NE(read.out.find("Password=\\x1b]52;c;ZWNobyBoaQ==\\x07\n"), std::string::npos) << read.out;
  EXPECT_EQ(read.out.find('\x1b'), std::string::npos);
}

class VarnokctlSignal : public ::testing::TestWithParam<int> {};

int ExclusiveFlag(int fd) {
  int excl = -1;
  return ioctl(fd, TIOCGEXCL, &excl) == 0 ? excl : -1;
}

// Ended while it holds the port, varnokctl hands it back: exclusive use
// dropped (it outlives the process on a pseudo-terminal) and the settings
// the port had before restored.
TEST_P(VarnokctlSignal, PortIsHandedBackAsItWasFound) {
  DtuSimOptions options;
  options.silent_every = 1;
  auto sim = StartDtuSim(options);
  int probe = ::open(sim->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(probe, 0);
  termios before{};
  ASSERT_EQ(tcgetattr(probe, &before), 0);
  QProcess process;
  process.start(VARNOKCTL_PATH, {"send", "-p", Q(sim->SlavePath()), "--baud", "9600", "--timeout", "30",
                                 "AT+ZEVCFG=get|imei"});
  ASSERT_TRUE(process.waitForStarted());
  ASSERT_EQ(sim->WaitForLines(1, 10s).size(), 1u);
  EXPECT_EQ(ExclusiveFlag(probe), 1);
  ::kill(static_cast<pid_t>(process.processId()), GetParam());
  ASSERT_TRUE(process.waitForFinished(10000));
  termios after{};
  ASSERT_EQ(tcgetattr(probe, &after), 0);
  EXPECT_EQ(ExclusiveFlag(probe), 0);
  EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  ::close(probe);
}

INSTANTIATE_TEST_SUITE_P(Signals, VarnokctlSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT));

// "open ./log.txt error!" goes to standard error, once, and never mixes into
// the name=value lines of `read`.
TEST(VarnokctlHostile, UnopenableLogIsReportedOnStderrOnce) {
  auto sim = StartDtuSim();
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.File("log.txt").c_str(), 0700), 0);
  Outcome r = Varnokctl({"read", "-p", Q(sim->SlavePath()), "workmode"}, Q(dir.Path()));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "WorkMode=0\n");
  const std::string report = "open ./log.txt error!";
  ASSERT_NE(r.err.find(report), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(report, r.err.find(report) + 1), std::string::npos) << r.err;
}

// A device that answers only blanks never said OK.
TEST(VarnokctlHostile, RawPrintsNothingForABlankAnswerAndExits3) {
  PtyPair pty;
  std::thread device([&pty] {
    pty.ReadUntil("AT\r\n", 5000ms);
    pty.Write("\r\n \r\n");
  });
  Outcome r = Varnokctl({"raw", "-p", Q(pty.SlavePath()), "--timeout", "0.5", "AT"});
  device.join();
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "");
}

// A FIFO without a writer blocked the open for good.
TEST(VarnokctlHostile, FifoAsTheConfigurationFileIsRefusedWithItsPath) {
  TempDir dir;
  const std::string fifo = dir.File("profile.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Outcome show = Varnokctl({"config", "show", Q(fifo)});
  EXPECT_EQ(show.exit_code, 1);
  EXPECT_NE(show.err.find(fifo + " (not a regular file)"), std::string::npos) << show.err;
  Outcome login = Varnokctl({"cloud", "login", "--user", "u", "--password", "p", "--config", Q(fifo)});
  EXPECT_EQ(login.exit_code, 2);
  EXPECT_NE(login.err.find("cannot read " + fifo + ": not a regular file"), std::string::npos) << login.err;
}

}  // namespace
