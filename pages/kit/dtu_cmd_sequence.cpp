#include "pages/kit/dtu_cmd_sequence.h"

#include <QThread>

#include <algorithm>
#include <iterator>

#include "base/dtu_log.h"
#include "link/dtu_cmd_answer_watch.h"
#include "link/dtu_cmd_port.h"

namespace {

// True when a line of the answer starts with "<key> : ", letter case aside
// (the way the dispatcher matches its prefixes).
bool AnswerHasKey(const QByteArray &text, const std::string &key) {
  if (key.empty()) return false;
  const QByteArray prefix = QByteArray::fromStdString(key + " : ").toLower();
  const QByteArray lower = text.toLower();
  for (qsizetype start = 0; start >= 0 && start < lower.size();) {
    if (lower.mid(start, prefix.size()) == prefix) return true;
    const qsizetype cr = lower.indexOf('\r', start);
    const qsizetype lf = lower.indexOf('\n', start);
    qsizetype end = cr < 0 ? lf : (lf < 0 ? cr : std::min(cr, lf));
    start = end < 0 ? -1 : end + 1;
  }
  return false;
}

}  // namespace

DtuCmdSequence::DtuCmdSequence(QObject *parent) : QObject(parent) {
  timeout_.setSingleShot(true);
  pause_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, &DtuCmdSequence::OnTimeout);
  connect(&pause_, &QTimer::timeout, this, &DtuCmdSequence::SendStep);
}

DtuCmdSequence::~DtuCmdSequence() { Stop(); }

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
  own_ok_due_ = false;
  running_ = true;
  const unsigned run = ++run_;
  DtuCmdAnswerWatcher watcher;
  watcher.on_error = [this, run](const char *text) {
    const QByteArray copy(text);
    OnOwnThread([this, run, copy] {
      if (run == run_) OnError(copy);
    });
  };
  watcher.on_empty = [this, run] {
    OnOwnThread([this, run] {
      if (run == run_) OnEmpty();
    });
  };
  watcher.on_answer = [this, run](const char *text, int length) {
    const QByteArray copy(text, length);
    OnOwnThread([this, run, copy] {
      if (run == run_) OnAnswer(copy);
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
  if (!step.line.empty() &&
      DtuCmdPort::DtuCmdRingbufSend(step.line.data(), static_cast<int>(step.line.size()), step.tag) != 0) {
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

bool DtuCmdSequence::EndsStep(const QByteArray &text) const {
  const DtuCmdStep &step = steps_[step_];
  switch (step.end) {
    case DtuStepEnd::kKey:
    case DtuStepEnd::kKeyOrBareOk:
    case DtuStepEnd::kPageDecides:
    case DtuStepEnd::kPageDecidesOrBareOk:
      return AnswerHasKey(text, step.key);
    case DtuStepEnd::kAnyAnswer:
      return true;
    case DtuStepEnd::kUntil:
      return step.until && step.until();
    case DtuStepEnd::kBareOk:
    case DtuStepEnd::kNoWait:
      return false;
  }
  return false;
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

void DtuCmdSequence::OnAnswer(const QByteArray &text) {
  own_ok_due_ = false;  // an OK from here on belongs to a later command
  if (!running_ || !waiting_ || !EndsStep(text)) return;
  const int step = step_;
  const DtuStepEnd end = steps_[step_].end;
  const bool page_decides = end == DtuStepEnd::kPageDecides || end == DtuStepEnd::kPageDecidesOrBareOk;
  const unsigned run = run_;
  emit StepAnswered(step, text);
  // A slot may have advanced, failed or restarted the sequence.
  if (run != run_) return;
  if (!page_decides && waiting_ && step_ == step) NextStep();
  const bool ended = step_ != step || !running_;
  own_ok_due_ = ended && (end == DtuStepEnd::kKeyOrBareOk || end == DtuStepEnd::kPageDecidesOrBareOk);
}

void DtuCmdSequence::OnEmpty() {
  if (!running_) return;
  if (own_ok_due_) {
    own_ok_due_ = false;  // the OK of the line that ended the step before
    return;
  }
  if (!waiting_ || !BareOkEnds()) return;
  const int step = step_;
  const unsigned run = run_;
  emit StepAnswered(step, QByteArray());
  if (run == run_ && waiting_ && step_ == step) NextStep();
}

void DtuCmdSequence::OnError(const QByteArray &text) {
  if (running_ && waiting_ && steps_[step_].error_fails) Finish(DtuSequenceFailure::kErrorAnswer, text);
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
