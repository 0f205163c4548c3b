// The paced command sequence against the simulated device: what ends a step,
// what fails it (naming the step), cancelling, and a page that goes while its
// sequence runs.
#include <QCoreApplication>
#include <QSignalSpy>

#include <atomic>
#include <memory>

#include "link/dtu_cmd_answer_watch.h"
#include "pages/kit/dtu_cmd_sequence.h"
#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "tests/pages/wire_fixture.h"

namespace {

constexpr const char *kGetVersion = "AT+ZEVCFG=get|version\r\n";
constexpr const char *kGetImei = "AT+ZEVCFG=get|imei\r\n";
constexpr const char *kSetLogLevel = "AT+ZEVCFG=set|logLevel|1\r\n";

// Answers dispatched in the running case, counted by a watcher subscribed
// before the sequence's own (so it has counted an answer when the sequence
// hears of it).
std::atomic<int> g_answers{0};
bool TwoAnswersIn() { return g_answers >= 2; }

struct Outcome {
  bool done = false;
  bool failed = false;
  int failed_step = -1;
  DtuSequenceFailure reason = DtuSequenceFailure::kCancelled;
  int answered = 0;
  int ended_by_ok = 0;
};

class SequenceTest : public PageWireTest {
 protected:
  void Watch(DtuCmdSequence &sequence) {
    QObject::connect(&sequence, &DtuCmdSequence::Done, [this] { outcome_.done = true; });
    QObject::connect(&sequence, &DtuCmdSequence::Failed, [this](int step, DtuSequenceFailure reason, const QByteArray &) {
      outcome_.failed = true;
      outcome_.failed_step = step;
      outcome_.reason = reason;
    });
    // The page of page-judged steps takes every key line it hears.
    QObject::connect(&sequence, &DtuCmdSequence::StepAnswered, [this, &sequence](int, const QByteArray &text) {
      ++outcome_.answered;
      if (text.isEmpty()) ++outcome_.ended_by_ok;
      if (!text.isEmpty()) sequence.Advance();
    });
  }
  bool WaitForEnd(int timeout_ms = 5000) {
    return DtuPageWaitUntil([this] { return outcome_.done || outcome_.failed; }, timeout_ms);
  }
  void SetSimOptions(const DtuSimOptions &options) { Sim().SetOptions(options); }

  Outcome outcome_;
};

struct SequenceCase {
  const char *name;
  std::vector<DtuCmdStep> steps;
  const char *error_key;    // the device answers this key with ERROR
  const char *ack_only_key; // the device answers a set of this key with a bare OK
  int silent_every;         // the device leaves every Nth command unanswered
  bool done;
  int failed_step;
  DtuSequenceFailure reason;
  int answered;
  int ended_by_ok;          // steps a bare OK ended
};

void PrintTo(const SequenceCase &c, std::ostream *out) { *out << c.name; }

class SequenceCases : public SequenceTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(SequenceCases, EndsAsTheAnswersSay) {
  const SequenceCase &c = GetParam();
  DtuSimOptions options = Sim().Options();
  if (c.error_key) options.error_keys.insert(c.error_key);
  if (c.ack_only_key) options.ack_only_keys.insert(c.ack_only_key);
  options.silent_every = c.silent_every;
  SetSimOptions(options);

  g_answers = 0;
  DtuCmdAnswerWatcher counter;
  counter.on_answer = [](const char *, int) { ++g_answers; };
  DtuCmdAnswerSubscription counting(std::move(counter));
  DtuCmdSequence sequence;
  Watch(sequence);
  sequence.Start(c.steps);
  ASSERT_TRUE(WaitForEnd()) << "neither done nor failed";
  EXPECT_EQ(outcome_.done, c.done);
  EXPECT_EQ(outcome_.failed_step, c.failed_step);
  if (!c.done) {
    EXPECT_EQ(outcome_.reason, c.reason);
  }
  EXPECT_EQ(outcome_.answered, c.answered);
  EXPECT_EQ(outcome_.ended_by_ok, c.ended_by_ok);
  EXPECT_FALSE(sequence.Running());
  // Steps after a failure are never sent.
  const size_t sent = c.done ? c.steps.size() : static_cast<size_t>(c.failed_step) + 1;
  EXPECT_EQ(Lines().size(), sent);
}

const DtuStepEnd kKey = DtuStepEnd::kKey;

INSTANTIATE_TEST_SUITE_P(
    Steps, SequenceCases,
    ::testing::Values(
        SequenceCase{"KeyAnswersEndEachStep",
                     {{kGetVersion, "version"}, {kGetImei, "imei", kKey, 3000, 50}},
                     nullptr, nullptr, 0, true, -1, {}, 2, 0},
        SequenceCase{"BareOkEndsAnAcknowledgedStep",
                     {{kSetLogLevel, "", DtuStepEnd::kBareOk}, {kGetVersion, "version"}},
                     nullptr, "loglevel", 0, true, -1, {}, 2, 1},
        SequenceCase{"BareOkToAQueryFailsItsStep",
                     {{kGetVersion, "version"}, {kSetLogLevel, "loglevel", kKey}},
                     nullptr, "loglevel", 0, false, 1, DtuSequenceFailure::kNoValue, 1, 0},
        SequenceCase{"ErrorWordFailsItsStep",
                     {{kGetVersion, "version"}, {kGetImei, "imei"}, {kGetVersion, "version"}},
                     "imei", nullptr, 0, false, 1, DtuSequenceFailure::kErrorAnswer, 1, 0},
        SequenceCase{"TimeOutNamesTheStepWithoutAnswer",
                     {{kGetVersion, "version", kKey, 3000}, {kGetImei, "imei", kKey, 400}},
                     nullptr, nullptr, 2, false, 1, DtuSequenceFailure::kTimeout, 1, 0},
        SequenceCase{"TimeOutThatDoesNotFailPassesTheStepOver",
                     {{kGetVersion, "version", kKey, 3000}, {kGetImei, "imei", kKey, 400, 0, false}},
                     nullptr, nullptr, 2, true, -1, {}, 1, 0},
        SequenceCase{"BareOkAlsoEndsAPageJudgedStep",
                     {{kSetLogLevel, "loglevel", DtuStepEnd::kPageDecidesOrBareOk},
                      {kGetVersion, "version", DtuStepEnd::kPageDecidesOrBareOk}},
                     nullptr, "loglevel", 0, true, -1, {}, 2, 1},
        SequenceCase{"UnwaitedStepGoesOnWithoutItsAnswer",
                     {{kGetVersion, "", DtuStepEnd::kNoWait}, {kGetImei, "imei"}},
                     nullptr, nullptr, 0, true, -1, {}, 1, 0},
        SequenceCase{"UntilIsAskedAfterEveryAnswer",
                     {{kGetVersion, "", DtuStepEnd::kNoWait},
                      {kGetImei, "", DtuStepEnd::kUntil, 3000, 0, true, true, {}, &TwoAnswersIn}},
                     nullptr, nullptr, 0, true, -1, {}, 1, 0},
        SequenceCase{"UntilThatHoldsOnceSentEndsTheStep",
                     {{kGetVersion, "", DtuStepEnd::kUntil, 400, 0, true, true, {}, [] { return true; }},
                      {kGetImei, "imei"}},
                     nullptr, nullptr, 0, true, -1, {}, 1, 0},
        SequenceCase{"UntilThatNeverHoldsIgnoresTheKeyAndTimesOut",
                     {{kGetVersion, "version", DtuStepEnd::kUntil, 400, 0, true, true, {}, [] { return false; }}},
                     nullptr, nullptr, 0, false, 0, DtuSequenceFailure::kTimeout, 0, 0}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

TEST_F(SequenceTest, StepsInsertedFromAnAnswerComeNext) {
  DtuCmdSequence sequence;
  std::vector<int> sent;
  QObject::connect(&sequence, &DtuCmdSequence::StepSent, [&sent](int step) { sent.push_back(step); });
  QObject::connect(&sequence, &DtuCmdSequence::StepAnswered, [&sequence](int step, const QByteArray &) {
    if (step == 0) sequence.InsertNext({{kSetLogLevel, "loglevel"}});
  });
  Watch(sequence);  // after: the first answer's steps go in before it advances
  sequence.Start({{kGetVersion, "version", DtuStepEnd::kPageDecides}, {kGetImei, "imei"}});
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(outcome_.done);
  EXPECT_EQ(sent, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=get|version", "AT+ZEVCFG=set|logLevel|1",
                                               "AT+ZEVCFG=get|imei"}));
}

// The answers of unwaited-for lines come in during the last pause.
TEST_F(SequenceTest, ThePauseAfterTheLastStepComesBeforeDone) {
  DtuCmdSequence sequence;
  Watch(sequence);
  sequence.Start({{kGetVersion, "version", kKey, 3000, 1000}});
  ASSERT_TRUE(DtuPageWaitUntil([this] { return outcome_.answered == 1; }, 3000));
  EXPECT_TRUE(sequence.Running());
  EXPECT_FALSE(outcome_.done);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(outcome_.done);
}

// A device that sends a key line and, apart from it, that command's "OK":
// the OK comes while the next line is in flight and acknowledges nothing.
TEST_F(SequenceTest, AnOkApartFromItsLineEndsNoSecondStep) {
  DtuSimOptions options = Sim().Options();
  options.split_gap_ms = 150;
  SetSimOptions(options);
  DtuCmdSequence sequence;
  Watch(sequence);
  sequence.Start({{kGetVersion, "version", DtuStepEnd::kKeyOrBareOk}, {kGetImei, "imei", DtuStepEnd::kKeyOrBareOk}});
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(outcome_.done);
  EXPECT_EQ(outcome_.answered, 2);
  EXPECT_EQ(outcome_.ended_by_ok, 0);
}

TEST_F(SequenceTest, CancelReportsTheStepAndSendsNothingMore) {
  DtuSimOptions options = Sim().Options();
  options.latency_ms = 300;
  SetSimOptions(options);
  DtuCmdSequence sequence;
  Watch(sequence);
  sequence.Start({{kGetVersion, "version"}, {kGetImei, "imei"}});
  ASSERT_TRUE(WaitForLines(1));
  sequence.Cancel();
  EXPECT_TRUE(outcome_.failed);
  EXPECT_EQ(outcome_.failed_step, 0);
  EXPECT_EQ(outcome_.reason, DtuSequenceFailure::kCancelled);
  DtuPageWaitUntil([] { return false; }, 600);  // the answer comes and goes
  EXPECT_EQ(Lines().size(), 1u);
  EXPECT_EQ(outcome_.answered, 0);
}

TEST_F(SequenceTest, PageDestroyedWhileItsSequenceRunsLeavesNothingBehind) {
  DtuSimOptions options = Sim().Options();
  options.latency_ms = 200;
  SetSimOptions(options);
  auto page = std::make_unique<QObject>();
  auto *sequence = new DtuCmdSequence(page.get());
  Watch(*sequence);
  sequence->Start({{kGetVersion, "version", kKey, 300}, {kGetImei, "imei"}});
  ASSERT_TRUE(WaitForLines(1));
  page.reset();  // its answer, its time-out and the next step must not reach the sequence
  DtuPageWaitUntil([] { return false; }, 700);
  EXPECT_FALSE(outcome_.done || outcome_.failed);
  EXPECT_EQ(Lines().size(), 1u);
}

}  // namespace
