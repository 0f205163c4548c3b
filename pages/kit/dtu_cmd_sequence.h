// A paced command sequence: sends one command line per step and waits for
// the line's outcome (link/dtu_cmd_outcome.h: the command port judges which
// answer is the line's own), up to the step's time-out, then pauses before
// the next step. What ends a step: its key line, a bare "OK", any answer, or
// the page's own verdict on the answer. A refused line ends the sequence as
// failed; so does a query answered by a bare OK alone (it carries no value).
//
// For pages whose later commands depend on earlier answers (the Modbus cache
// steps, the Modbus and DL/T 645 reads, the business packet read) and for
// varnokctl's waiting loop:
//
//   sequence_ = new DtuCmdSequence(this);  // a child: it goes with its page
//   connect(sequence_, &DtuCmdSequence::Done, this, ...);
//   connect(sequence_, &DtuCmdSequence::Failed, this, ...);
//   sequence_->Start({{"AT+ZEVCFG=get|modbus-switch\r\n", "modbus-switch"},
//                     {"AT+ZEVCFG=get|modbus-channel\r\n", "modbus-channel", DtuStepEnd::kKey, 1000, 500}});
//
// Everything runs on the thread the sequence lives on (the GUI or varnokctl's
// main thread): no worker thread, nothing to join. Answers dispatched on
// another thread are posted to it. Destroying the sequence (with its page)
// stops it at once: no signal is emitted and no later answer reaches it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"

class DtuCmdAnswerSubscription;

enum class DtuStepEnd {
  kKey,          // an answer with a "<key> : " line
  kBareOk,       // an answer that was only "OK"
  kKeyOrBareOk,  // the first of the two (see below)
  kAnyAnswer,    // any answer at all, a bare "OK" included
  kPageDecides,  // the page checks the answer and calls Advance() or Fail()
  kPageDecidesOrBareOk,  // the page checks the key line; a bare "OK" ends the step by itself
  kNoWait,       // nothing: the step ends once its line is queued (its answer goes to the handlers)
  kUntil,        // `until` holds: asked once the line is queued and after every answer
};

struct DtuCmdStep {
  std::string line;  // sent as it is, through DtuCmdPort::DtuCmdRingbufSend; empty: nothing is sent
  std::string key;   // the answer key of kKey, kKeyOrBareOk and kPageDecides
  DtuStepEnd end = DtuStepEnd::kKey;
  int timeout_ms = 8000;
  int pause_after_ms = 0;      // before the next step is sent; after the last one, before Done
  bool timeout_fails = true;   // false: a step without its answer is passed over
  bool error_fails = true;     // false: an error answer is an answer like any other
  DtuCmdTag tag{};             // who else hears the line's outcome (DtuCmdAddOwner); nobody by default
  // kUntil: the page's own condition. Answers reach it after their handler ran.
  std::function<bool()> until{};
};

enum class DtuSequenceFailure {
  kErrorAnswer,  // the device answered with an error word
  kTimeout,      // the step's answer did not come in time
  kNoValue,      // a query was answered by a bare "OK" alone
  kPortClosed,   // the port closed before the step's line was answered
  kNotQueued,    // the command ring refused the line
  kPage,         // the page found the answer wrong (Fail)
  kCancelled,    // Cancel()
};

class DtuCmdSequence : public QObject {
  Q_OBJECT

 public:
  explicit DtuCmdSequence(QObject *parent = nullptr);
  ~DtuCmdSequence() override;

  // Starts from the first step; a running sequence is replaced (silently).
  void Start(std::vector<DtuCmdStep> steps);
  // Stops and reports Failed(step, kCancelled); nothing when idle.
  void Cancel();
  // Puts steps right after the current one, for a page whose next queries
  // depend on an answer (called from StepAnswered, before Advance()).
  void InsertNext(std::vector<DtuCmdStep> steps);
  // For kPageDecides steps (and any step a page wants to end early).
  void Advance();
  void Fail(const QByteArray &text = QByteArray());

  bool Running() const { return running_; }
  int CurrentStep() const { return step_; }
  // Steps passed over after their time-out (timeout_fails false).
  int StepsTimedOut() const { return timed_out_; }

 signals:
  // A step is about to be sent (after the pause before it).
  void StepSent(int step);
  // An answer that belongs to the current step (before it advances).
  void StepAnswered(int step, const QByteArray &text);
  void Done();
  void Failed(int step, DtuSequenceFailure reason, const QByteArray &text);

 private:
  void SendStep();
  void NextStep();
  void Succeed();
  void Finish(DtuSequenceFailure reason, const QByteArray &text);
  void Stop();
  void OnOutcome(const DtuCmdReport &report);
  void OnStepOutcome(const DtuCmdReport &report);
  void OnAnswered(const QByteArray &text);
  void OnAcknowledged();
  void OnAnswerSeen(const QByteArray &text);
  void OnTimeout();
  // The step ends as soon as it was sent, without an answer.
  bool EndsOnceSent(const DtuCmdStep &step) const;
  bool BareOkEnds() const;
  // Runs `call` on this object's thread: now when already there, else posted
  // (dropped if the sequence is gone by then).
  template <typename Call>
  void OnOwnThread(Call call);

  std::vector<DtuCmdStep> steps_;
  int step_ = -1;
  int timed_out_ = 0;
  bool running_ = false;
  bool waiting_ = false;  // a step was sent and waits for its answer
  int owner_ = 0;         // the sequence hears its lines' outcomes
  // Bumped on every start and stop, so answers posted for an earlier run are dropped.
  unsigned run_ = 0;
  QTimer timeout_;
  QTimer pause_;
  std::unique_ptr<DtuCmdAnswerSubscription> subscription_;
};
