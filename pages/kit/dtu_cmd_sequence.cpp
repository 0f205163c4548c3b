#include "pages/kit/dtu_cmd_sequence.h"

#include <QThread>

#include <algorithm>
#include <iterator>

#include "base/dtu_log.h"
#include "link/dtu_cmd_answer_watch.h"
#include "link/dtu_cmd_port.h"

DtuCmdSequence::DtuCmdSequence(QObject *parent) : QObject(parent) {
  owner_ = DtuCmdAddOwner([this](const DtuCmdReport &report) {
    OnOwnThread([this, report] { OnOutcome(report); });
  });
  timeout_.setSingleShot(true);
  pause_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, &DtuCmdSequence::OnTimeout);
  connect(&pause_, &QTimer::timeout, this, &DtuCmdSequence::SendStep);
}

DtuCmdSequence::~DtuCmdSequence() {
  DtuCmdRemoveOwner(owner_);
  Stop();
}

template <typename Call>
void DtuCmdSequence::OnOwnThread(Call call) {
  if (QThread::currentThread() == thread()) {
    call();
    return;
  }
  // Posted with this object as the context: dropped if it is gone by then.
  QMetaObject::invokeMethod(this, call, Qt::QueuedConnection);
}

void DtuCmdSequence::Start(std::vector<DtuCmdStep> steps) {
  Stop();
  steps_ = std::move(steps);
  step_ = 0;
  timed_out_ = 0;
  running_ = true;
  const unsigned run = ++run_;
  // A kUntil step asks its condition again after every answer's handler ran.
  DtuCmdAnswerWatcher watcher;
  watcher.on_answer = [this, run](const char *text, int length) {
    const QByteArray copy(text, length);
    OnOwnThread([this, run, copy] {
      if (run == run_) OnAnswerSeen(copy);
    });
  };
  subscription_ = std::make_unique<DtuCmdAnswerSubscription>(std::move(watcher));
  SendStep();
}

void DtuCmdSequence::SendStep() {
  if (!running_) return;
  if (step_ >= static_cast<int>(steps_.size())) {
    Succeed();
    return;
  }
  const unsigned run = run_;
  emit StepSent(step_);
  if (run != run_) return;  // a slot stopped or restarted the sequence
  const DtuCmdStep &step = steps_[step_];
  waiting_ = true;
  timeout_.start(step.timeout_ms);
  // An empty line makes a step that only waits.
  // The line's outcome comes to the sequence (the run and step in its tag),
  // which hands it on to the step's own listener.
  const DtuCmdTag own{owner_, static_cast<int>(run_), step_};
  if (!step.line.empty() &&
      DtuCmdPort::DtuCmdRingbufSend(step.line.data(), static_cast<int>(step.line.size()), own) != 0) {
    const DtuCmdTag tag = step.tag;
    Finish(DtuSequenceFailure::kNotQueued, QByteArray::fromStdString(step.line));
    // After the failure is told: its owner may be the one listening to it.
    DtuCmdReportNotQueued(tag);
    return;
  }
  if (EndsOnceSent(step)) NextStep();
}

bool DtuCmdSequence::EndsOnceSent(const DtuCmdStep &step) const {
  return step.end == DtuStepEnd::kNoWait || (step.end == DtuStepEnd::kUntil && step.until && step.until());
}

void DtuCmdSequence::InsertNext(std::vector<DtuCmdStep> steps) {
  if (!running_) return;
  const auto at = steps_.begin() + std::min(step_ + 1, static_cast<int>(steps_.size()));
  steps_.insert(at, std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
}

void DtuCmdSequence::Advance() {
  if (!running_ || !waiting_) return;
  NextStep();
}

void DtuCmdSequence::NextStep() {
  waiting_ = false;
  timeout_.stop();
  const int pause_ms = steps_[step_].pause_after_ms;
  ++step_;
  // After the last step too: the answers of unwaited-for lines come in meanwhile.
  if (pause_ms > 0) {
    pause_.start(pause_ms);
  } else {
    SendStep();
  }
}

void DtuCmdSequence::Fail(const QByteArray &text) {
  if (running_) Finish(DtuSequenceFailure::kPage, text);
}

void DtuCmdSequence::Cancel() {
  if (running_) Finish(DtuSequenceFailure::kCancelled, QByteArray());
}

void DtuCmdSequence::Succeed() {
  Stop();
  emit Done();
}

void DtuCmdSequence::Finish(DtuSequenceFailure reason, const QByteArray &text) {
  const int step = step_;
  Stop();
  DTU_LOG("sequence failed at step %d (reason %d).", step, static_cast<int>(reason));
  emit Failed(step, reason, text);
}

void DtuCmdSequence::Stop() {
  ++run_;
  running_ = false;
  waiting_ = false;
  timeout_.stop();
  pause_.stop();
  // Waits for a callback that runs on another thread right now.
  subscription_.reset();
}

bool DtuCmdSequence::BareOkEnds() const {
  switch (steps_[step_].end) {
    case DtuStepEnd::kBareOk:
    case DtuStepEnd::kKeyOrBareOk:
    case DtuStepEnd::kAnyAnswer:
    case DtuStepEnd::kPageDecidesOrBareOk:
      return true;
    default:
      return false;
  }
}

void DtuCmdSequence::OnOutcome(const DtuCmdReport &report) {
  const int step = report.tag.item;
  if (step < 0 || step >= static_cast<int>(steps_.size())) return;
  // The step's own listener hears the outcome first, whatever the sequence
  // does with it (an outcome of an earlier run goes there too).
  const DtuCmdTag forward_to = steps_[step].tag;
  if (forward_to.owner != 0) {
    DtuCmdReport forwarded = report;
    forwarded.tag = forward_to;
    DtuCmdOutcomeProcess(forwarded);
  }
  if (!running_ || !waiting_ || report.tag.action != static_cast<int>(run_) || step != step_) return;
  OnStepOutcome(report);
}

void DtuCmdSequence::OnStepOutcome(const DtuCmdReport &report) {
  const DtuCmdStep &step = steps_[step_];
  switch (report.outcome) {
    case DtuCmdOutcome::kAnswered:
      return OnAnswered(QByteArray::fromStdString(report.answer));
    case DtuCmdOutcome::kAcknowledged:
      return OnAcknowledged();
    case DtuCmdOutcome::kDeviceError:
      if (step.error_fails) return Finish(DtuSequenceFailure::kErrorAnswer, QByteArray::fromStdString(report.answer));
      return OnAnswered(QByteArray::fromStdString(report.answer));
    case DtuCmdOutcome::kNoAnswer:
      return OnTimeout();
    case DtuCmdOutcome::kPortClosed:
      return Finish(DtuSequenceFailure::kPortClosed, QByteArray());
  }
}

void DtuCmdSequence::OnAnswered(const QByteArray &text) {
  const int step = step_;
  const DtuStepEnd end = steps_[step_].end;
  if (end == DtuStepEnd::kBareOk || end == DtuStepEnd::kNoWait) return;
  if (end == DtuStepEnd::kUntil) return OnAnswerSeen(text);
  const bool page_decides = end == DtuStepEnd::kPageDecides || end == DtuStepEnd::kPageDecidesOrBareOk;
  const unsigned run = run_;
  emit StepAnswered(step, text);
  // A slot may have advanced, failed or restarted the sequence.
  if (run != run_) return;
  if (!page_decides && waiting_ && step_ == step) NextStep();
}

void DtuCmdSequence::OnAcknowledged() {
  if (!BareOkEnds()) {
    // A query's line ended with a bare OK: its value will not come.
    if (steps_[step_].end == DtuStepEnd::kUntil) return OnAnswerSeen(QByteArray());
    if (!steps_[step_].timeout_fails) return OnTimeout();
    return Finish(DtuSequenceFailure::kNoValue, QByteArray());
  }
  const int step = step_;
  const unsigned run = run_;
  emit StepAnswered(step, QByteArray());
  if (run == run_ && waiting_ && step_ == step) NextStep();
}

void DtuCmdSequence::OnAnswerSeen(const QByteArray &text) {
  if (!running_ || !waiting_) return;
  const DtuCmdStep &step = steps_[step_];
  if (step.end != DtuStepEnd::kUntil || !step.until || !step.until()) return;
  const int at = step_;
  const unsigned run = run_;
  emit StepAnswered(at, text);
  if (run == run_ && waiting_ && step_ == at) NextStep();
}

void DtuCmdSequence::OnTimeout() {
  if (!running_ || !waiting_) return;
  if (steps_[step_].timeout_fails) {
    Finish(DtuSequenceFailure::kTimeout, QByteArray());
    return;
  }
  ++timed_out_;
  NextStep();
}
