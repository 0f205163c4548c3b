// varnokctl backup replaces its file only as a whole: a backup that fails,
// or is killed at any moment, leaves the old file byte for byte (or none)
// and no temporary file beside it.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

const char kOldText[] = "# an older backup\r\n[MQTT]\r\nServer=old.example\r\n\r\n[iotInfo]\r\nusername = me\r\n";

std::set<std::string> Names(const std::string &dir) {
  std::set<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

// The names in `dir` once they are `expected`, or what they still are at the
// deadline (a killed backup's helper removes its temporary a moment later).
std::set<std::string> NamesOnceSettled(const std::string &dir, const std::set<std::string> &expected) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  std::set<std::string> names = Names(dir);
  while (names != expected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
    names = Names(dir);
  }
  return names;
}

struct UnfinishedCase {
  const char *name;
  bool old_file;           // a file is there before the backup
  bool port_exists;
  DtuSimOptions device;
  int exit_code;
};

void PrintTo(const UnfinishedCase &c, std::ostream *out) { *out << c.name; }

DtuSimOptions UnplugAfter(int n) {
  DtuSimOptions o;
  o.unplug_after = n;
  return o;
}

DtuSimOptions ErrorOn(const char *key) {
  DtuSimOptions o;
  o.error_keys = {key};
  return o;
}

class UnfinishedBackup : public ::testing::TestWithParam<UnfinishedCase> {
 protected:
  TempDir dir_;
};

TEST_P(UnfinishedBackup, LeavesTheOldFileOrNoneAndNoTemporary) {
  const UnfinishedCase &c = GetParam();
  const std::string file = dir_.File("f.txt");
  if (c.old_file) std::ofstream(file, std::ios::binary) << kOldText;
  auto sim = StartDtuSim(c.device);
  const QString port = c.port_exists ? Path(*sim) : QString("/nonexistent/tty0");
  VarnokctlResult r = RunVarnokctl({"backup", "-p", port, QString::fromStdString(file)});
  EXPECT_EQ(r.exit_code, c.exit_code) << r.out << r.err;
  const std::set<std::string> expected = c.old_file ? std::set<std::string>{"f.txt"} : std::set<std::string>{};
  EXPECT_EQ(Names(dir_.Path()), expected);
  if (c.old_file) {
    EXPECT_EQ(ReadWholeFile(file), kOldText);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnfinishedBackup,
    ::testing::Values(UnfinishedCase{"NoPortNoFile", false, false, {}, 1},
                      UnfinishedCase{"NoPortOldFile", true, false, {}, 1},
                      UnfinishedCase{"UnpluggedMidway", true, true, UnplugAfter(30), 5},
                      UnfinishedCase{"DeviceErrorMidway", true, true, ErrorOn("mqtt-addr"), 6}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(KilledBackup, LeavesTheOldFileOrTheWholeNewOneAndNoTemporary) {
  TempDir dir;
  const std::string file = dir.File("f.txt");
  DtuSimOptions slow;
  slow.latency_ms = 5;
  auto sim = StartDtuSim(slow);
  sim->Store().SetValue("mqtt-addr", "new.example");
  std::ofstream(file, std::ios::binary) << kOldText;
  ASSERT_EQ(RunVarnokctl({"backup", "-p", Path(*sim), QString::fromStdString(file)}).exit_code, 0);
  const std::string new_text = ReadWholeFile(file);
  const size_t lines = sim->ReceivedLines().size();
  ASSERT_GT(lines, 10u);

  std::mt19937 random(21);
  std::uniform_int_distribution<size_t> moment(1, lines);
  for (int kill = 0; kill < 6; ++kill) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << kOldText;
    sim->ClearReceived();
    const size_t at = moment(random);
    QProcess process;
    process.start(VARNOKCTL_PATH, {"backup", "-p", Path(*sim), QString::fromStdString(file)});
    ASSERT_TRUE(process.waitForStarted());
    sim->WaitForLines(at, 20s);
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished();
    EXPECT_EQ(NamesOnceSettled(dir.Path(), {"f.txt"}), std::set<std::string>{"f.txt"}) << "killed at line " << at;
    const std::string text = ReadWholeFile(file);
    EXPECT_TRUE(text == kOldText || text == new_text) << "killed at line " << at << ":\n" << text;
  }
}

}  // namespace
