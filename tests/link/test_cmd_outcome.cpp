// Command outcomes: what the sender reports for each tagged command, against
// the simulated device on a real pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/dtu_message.h"
#include "link/dtu_cmd_answer_match.h"
#include "link/dtu_cmd_outcome.h"
#include "link/dtu_cmd_port.h"
#include "tests/support/pty_pair.h"
#include "tests/support/sim_link.h"

using namespace std::chrono_literals;

namespace {

struct AnswerCase {
  const char *name;
  const char *text;
  DtuCmdOutcome outcome;
};

class AnswerOutcome : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerOutcome, JudgesTheCleanedAnswer) {
  const std::string text = GetParam().text;
  EXPECT_EQ(DtuCmdAnswerOutcome(text.c_str(), static_cast<int>(text.size())), GetParam().outcome) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AnswerOutcome,
    ::testing::Values(AnswerCase{"BareError", "ERROR", DtuCmdOutcome::kDeviceError},
                      AnswerCase{"LowerFail", "upload fail", DtuCmdOutcome::kDeviceError},
                      AnswerCase{"ErrorLineAfterValue", "version : 1\r\nERROR", DtuCmdOutcome::kDeviceError},
                      AnswerCase{"ValueOnlyError", "mqtt-pubtopic : ERROR", DtuCmdOutcome::kDeviceError},
                      AnswerCase{"ValueHoldsWords", "mqtt-pubtopic : /errors/fail", DtuCmdOutcome::kAnswered},
                      AnswerCase{"EmptyValue", "mqtt-pubtopic :", DtuCmdOutcome::kAnswered},
                      AnswerCase{"MixedCase", "Error", DtuCmdOutcome::kAnswered},
                      AnswerCase{"Nothing", "", DtuCmdOutcome::kAnswered}),
    [](const ::testing::TestParamInfo<AnswerCase> &info) { return std::string(info.param.name); });

// Which burst answers the line in flight: the line's key comes from the line
// itself; a burst without it is never credited to the line.
struct JudgeCase {
  const char *name;
  const char *line;
  const char *cleaned;
  bool whole;
  DtuCmdAnswerVerdict verdict;
};

class AnswerJudge : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(AnswerJudge, CreditsOnlyTheLinesOwnAnswer) {
  const JudgeCase &c = GetParam();
  const std::string line = c.line;
  const std::string key = DtuCmdLineKey(line.c_str(), static_cast<int>(line.size()));
  EXPECT_EQ(DtuCmdJudgeAnswer(key, c.cleaned, c.whole), c.verdict) << c.line << " / " << c.cleaned;
}

constexpr const char *kGetSwitch = "AT+ZEVCFG=get|modbus-switch\r\n";
constexpr const char *kSetAddr = "AT+ZEVCFG=SET|MQTT-ADDR|a.example\r\n";
using V = DtuCmdAnswerVerdict;

INSTANTIATE_TEST_SUITE_P(
    Bursts, AnswerJudge,
    ::testing::Values(JudgeCase{"ItsKeyLine", kGetSwitch, "modbus-switch : 1", true, V::kAnswered},
                      JudgeCase{"ItsKeyWithEmptyValue", kGetSwitch, "modbus-switch :", true, V::kAnswered},
                      JudgeCase{"KeyInAnyCase", kSetAddr, "mqtt-addr : a.example", true, V::kAnswered},
                      JudgeCase{"BareOk", kSetAddr, "", true, V::kAcknowledged},
                      JudgeCase{"Refused", kGetSwitch, "ERROR", true, V::kRefused},
                      JudgeCase{"LateAnswerOfAnotherKey", kGetSwitch, "modbus-channel : 2", true, V::kNotItsAnswer},
                      JudgeCase{"CutInsideItsLine", kGetSwitch, "modbus-sw", false, V::kPartial},
                      JudgeCase{"KeyNotAtALineStart", kGetSwitch, "x modbus-switch : 1", true, V::kNotItsAnswer},
                      JudgeCase{"LineWithoutAKnownKeyTakesAnyText", "AT\r\n", "whatever", false, V::kAnswered},
                      JudgeCase{"FixedLineTakesAnyText", "AT+ZEVCFG=set|reboot\r\n", "rebooting", true,
                                V::kAnswered}),
    [](const ::testing::TestParamInfo<JudgeCase> &info) { return std::string(info.param.name); });

TEST(AnswerJudge, OkLineClosesABurst) {
  EXPECT_TRUE(DtuCmdBurstEndsWithOk("imei : 1\r\nOK\r\n"));
  EXPECT_TRUE(DtuCmdBurstEndsWithOk("ok\r\n"));
  EXPECT_FALSE(DtuCmdBurstEndsWithOk("imei : 1\r\n"));
  EXPECT_FALSE(DtuCmdBurstEndsWithOk("mqtt-addr : BOOK\r\n"));
}

// Collects the reports of one owner, on whatever thread they come.
class OutcomeRecorder {
 public:
  OutcomeRecorder() : owner_(DtuCmdAddOwner([this](const DtuCmdReport &r) { Record(r); })) {}
  ~OutcomeRecorder() { DtuCmdRemoveOwner(owner_); }

  DtuCmdTag Tag(int item) const { return DtuCmdTag{owner_, 1, item}; }
  std::vector<DtuCmdReport> WaitFor(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return reports_.size() >= count; });
    return reports_;
  }

 private:
  void Record(const DtuCmdReport &report) {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(report);
    changed_.notify_all();
  }
  int owner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<DtuCmdReport> reports_;
};

int QueueTagged(const std::string &line, const DtuCmdTag &tag) {
  return DtuCmdPort::DtuCmdRingbufSend(line.data(), static_cast<int>(line.size()), tag);
}

}  // namespace

TEST(CmdOutcome, AnsweredAndRefusedCommandsReachTheirOwnerInOrder) {
  DtuSimOptions options;
  options.error_keys = {"imei"};
  SimLink link(options);
  OutcomeRecorder recorder;
  ASSERT_EQ(QueueTagged("AT+ZEVCFG=get|version\r\n", recorder.Tag(0)), 0);
  ASSERT_EQ(QueueTagged("AT+ZEVCFG=get|imei\r\n", recorder.Tag(1)), 0);
  ASSERT_EQ(link.Queue("AT+ZEVCFG=get|imsi\r\n"), 0);  // untagged: nobody hears of it
  ASSERT_EQ(QueueTagged("AT+ZEVCFG=get|iccid\r\n", recorder.Tag(2)), 0);
  auto reports = recorder.WaitFor(3, 5s);
  ASSERT_EQ(reports.size(), 3u);
  const DtuCmdOutcome expected[] = {DtuCmdOutcome::kAnswered, DtuCmdOutcome::kDeviceError, DtuCmdOutcome::kAnswered};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reports[i].tag.item, i);
    EXPECT_EQ(reports[i].tag.action, 1);
    EXPECT_EQ(reports[i].outcome, expected[i]) << DtuCmdOutcomeName(reports[i].outcome);
  }
}

TEST(CmdOutcome, SilentDeviceGivesNoAnswerAfterTheFallback) {
  DtuSimOptions options;
  options.silent_every = 1;
  SimLink link(options);
  OutcomeRecorder recorder;
  const auto start = std::chrono::steady_clock::now();
  QueueTagged("AT+ZEVCFG=get|version\r\n", recorder.Tag(7));
  auto reports = recorder.WaitFor(1, 8s);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].outcome, DtuCmdOutcome::kNoAnswer);
  EXPECT_EQ(reports[0].tag.item, 7);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 4900ms);
}

TEST(CmdOutcome, ClosingEndsTheCommandInFlightAndTheWaitingOnes) {
  DtuSimOptions options;
  options.silent_every = 1;
  auto previous = DtuSetMessageSink([](const std::string &) {});
  {
    SimLink link(options);
    OutcomeRecorder recorder;
    for (int i = 0; i < 4; ++i) QueueTagged("AT+ZEVCFG=get|version\r\n", recorder.Tag(i));
    ASSERT_EQ(link.Sim().WaitForLines(1, 5s).size(), 1u);
    link.Port().Close();
    auto reports = recorder.WaitFor(4, 5s);
    ASSERT_EQ(reports.size(), 4u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(reports[i].tag.item, i);
      EXPECT_EQ(reports[i].outcome, DtuCmdOutcome::kPortClosed);
    }
  }
  DtuSetMessageSink(previous);
}

TEST(CmdOutcome, RemovedOwnerHearsNothing) {
  int heard = 0;
  const int owner = DtuCmdAddOwner([&](const DtuCmdReport &) { ++heard; });
  DtuCmdReport report;
  report.tag.owner = owner;
  DtuCmdOutcomeProcess(report);
  DtuCmdRemoveOwner(owner);
  DtuCmdOutcomeProcess(report);
  report.tag.owner = 0;
  DtuCmdOutcomeProcess(report);
  EXPECT_EQ(heard, 1);
}

// A device slower than the 50 ms pause: the sender puts the next command in
// flight the moment an answer clears the busy flag; every command still gets
// its own outcome.
TEST(CmdOutcome, SlowAnswersEachReachTheirOwnCommand) {
  DtuSimOptions options;
  options.latency_ms = 60;
  SimLink link(options);
  OutcomeRecorder recorder;
  for (int i = 0; i < 6; ++i) QueueTagged("AT+ZEVCFG=get|version\r\n", recorder.Tag(i));
  auto reports = recorder.WaitFor(6, 5s);
  ASSERT_EQ(reports.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(reports[i].tag.item, i);
    EXPECT_EQ(reports[i].outcome, DtuCmdOutcome::kAnswered);
  }
}

// A device that pauses after the line end that opens its answer: that line
// end is no acknowledgement, and the answer after the pause is the line's.
TEST(CmdOutcome, ALineEndAheadOfAnAnswerAcknowledgesNothing) {
  PtyPair pty;
  DtuCmdPort port;
  std::string error;
  DtuSerialSettings settings;
  settings.port = pty.SlavePath();
  ASSERT_TRUE(port.DtuCmdPortOpen(settings, error)) << error;
  OutcomeRecorder recorder;
  ASSERT_EQ(QueueTagged("AT+ZEVCFG=get|modbus-slave-rule|00010001\r\n", recorder.Tag(0)), 0);
  ASSERT_NE(pty.ReadUntil("\n", 2s).find("modbus-slave-rule"), std::string::npos);
  pty.Write("\r\n");
  std::this_thread::sleep_for(60ms);  // the device's pause: longer than the quiet gap
  pty.Write("modbus-slave-rule : 000101010104temp0000000003000000000001\r\n\r\nOK\r\n");
  const std::vector<DtuCmdReport> reports = recorder.WaitFor(1, 5s);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].outcome, DtuCmdOutcome::kAnswered) << DtuCmdOutcomeName(reports[0].outcome);
  EXPECT_NE(reports[0].answer.find("temp0000000003"), std::string::npos) << reports[0].answer;
  port.Close();
}
