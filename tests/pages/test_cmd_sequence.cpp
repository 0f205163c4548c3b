// The paced command sequence against the simulated device: what ends a step,
// what fails it (naming the step), cancelling, and a page that goes while its
// sequence runs.
#include <QCoreApplication>
#include <QSignalSpy>

#include <atomic>
#include <memory>

#include "link/dtu_cmd_answer_watch.h"
#include "pages/dtu_cmd_sequence.h"
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
    QObject::connect(&sequence, &DtuCmdSequence::StepAnswered, [this](int, const QByteArray &) { ++outcome_.answered; });
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
                     nullptr, nullptr, 0, true, -1, {}, 2},
        SequenceCase{"BareOkEndsAnAcknowledgedStep",
                     {{kSetLogLevel, "", DtuStepEnd::kBareOk}, {kGetVersion, "version"}},
                     nullptr, "loglevel", 0, true, -1, {}, 2},
        SequenceCase{"AnswerOfAnotherKeyDoesNotEndTheStep",
                     {{kGetVersion, "imei", kKey, 400}},
                     nullptr, nullptr, 0, false, 0, DtuSequenceFailure::kTimeout, 0},
        SequenceCase{"ErrorWordFailsItsStep",
                     {{kGetVersion, "version"}, {kGetImei, "imei"}, {kGetVersion, "version"}},
                     "imei", nullptr, 0, false, 1, DtuSequenceFailure::kErrorAnswer, 1},
        SequenceCase{"TimeOutNamesTheStepWithoutAnswer",
                     {{kGetVersion, "version", kKey, 3000}, {kGetImei, "imei", kKey, 400}},
                     nullptr, nullptr, 2, false, 1, DtuSequenceFailure::kTimeout, 1},
        SequenceCase{"TimeOutThatDoesNotFailPassesTheStepOver",
                     {{kGetVersion, "version", kKey, 3000}, {kGetImei, "imei", kKey, 400, 0, false}},
                     nullptr, nullptr, 2, true, -1, {}, 1},
        SequenceCase{"SentStepGoesOnWithoutWaitingForItsAnswer",
                     {{kGetVersion, "", DtuStepEnd::kSent, 400}, {kGetImei, "imei"}},
                     nullptr, nullptr, 0, true, -1, {}, 1},
        SequenceCase{"UntilIsAskedAfterEveryAnswer",
                     {{kGetVersion, "", DtuStepEnd::kSent},
                      {kGetImei, "", DtuStepEnd::kUntil, 3000, 0, true, true, {}, &TwoAnswersIn}},
                     nullptr, nullptr, 0, true, -1, {}, 1},
        SequenceCase{"UntilThatHoldsOnceSentEndsTheStep",
                     {{kGetVersion, "", DtuStepEnd::kUntil, 400, 0, true, true, {}, [] { return true; }},
                      {kGetImei, "imei"}},
                     nullptr, nullptr, 0, true, -1, {}, 1},
        SequenceCase{"UntilThatNeverHoldsIgnoresTheKeyAndTimesOut",
                     {{kGetVersion, "version", DtuStepEnd::kUntil, 400, 0, true, true, {}, [] { return false; }}},
                     nullptr, nullptr, 0, false, 0, DtuSequenceFailure::kTimeout, 0}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

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
