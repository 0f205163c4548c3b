// The sender thread of the command port: takes the oldest command from the
// ring, writes it, waits (at most 5 s) for its answer and keeps at least
// 50 ms before the next. It sleeps until a command is queued. It knows which
// command is in flight and what answers it (link/dtu_cmd_answer_match.h),
// and reports one outcome per command: answered, acknowledged (a bare OK) or
// refused when its own answer comes, no answer after 5 s, port closed when
// it is stopped with the command unanswered. A burst that is not the
// command's answer (a late answer to an earlier command) is logged and never
// credited to it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/dtu_cmd_answer_match.h"
#include "link/dtu_cmd_outcome.h"

class CSerialPortBase;

class DtuCmdSender {
 public:
  static constexpr int kPauseAfterWriteMs = 50;
  static constexpr int kBusyWaitLimitMs = 5000;

  using Reporter = std::function<void(const DtuCmdReport &report)>;

  DtuCmdSender(CSerialPortBase *driver, Reporter reporter) : driver_(driver), reporter_(std::move(reporter)) {}
  ~DtuCmdSender() { Stop(); }
  DtuCmdSender(const DtuCmdSender &) = delete;
  DtuCmdSender &operator=(const DtuCmdSender &) = delete;

  bool Start();  // clears the busy flag; false when the thread cannot start
  // The driver commands are written to; changed only while stopped (the
  // command port changes transport at an open).
  void SetDriver(CSerialPortBase *driver) { driver_ = driver; }
  // Wakes and joins the thread; a command still in flight is reported as
  // port closed.
  void Stop();

  // The listener's part: a burst was received after the last write. Judged
  // against the command in flight: its own answer clears the busy flag and
  // goes into the command's report; anything else leaves it waiting.
  // `ends_with_ok`: the burst closed with its OK line (a key line without it
  // may have its OK follow apart, which then acknowledges nothing).
  void OnBurst(const std::string &cleaned, bool whole, bool ends_with_ok);
  // Remote mode: the raw burst ends the wait of the command in flight, as
  // whatever the far end sent is its answer.
  void OnRawBurst() { ClearBusy(DtuCmdOutcome::kAnswered, std::string(), true, ""); }
  // The key the command in flight is answered by ("": any answer, or none in flight).
  std::string InFlightKey() const;
  // Called (on the sender thread) when the command in flight got no answer.
  void SetNoAnswerHook(std::function<void()> hook) { no_answer_hook_ = std::move(hook); }
  // Called (on the sender thread) with each command's bytes as written.
  void SetWrittenHook(std::function<void(const std::string &line)> hook) { written_hook_ = std::move(hook); }
  bool Busy() const { return busy_.load(); }
  int Written() const { return written_.load(); }
  int Answered() const { return answered_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  void Run();
  void MarkInFlight(const DtuCmdTag &tag, std::string key);
  void ClearBusy(DtuCmdOutcome outcome, const std::string &answer, bool whole, const char *error_word);
  // Waits until the busy flag clears or stop; false after the 5 s limit.
  bool WaitForAnswer(Clock::time_point written_at);
  void PauseUntil(Clock::time_point due);
  // Ends the command in flight (if still open) with this outcome.
  void EndInFlight(DtuCmdOutcome outcome, const std::string &answer = std::string(), bool whole = true,
                   const char *error_word = "");

  CSerialPortBase *driver_;
  Reporter reporter_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<int> busy_{0};
  std::atomic<int> written_{0};
  std::atomic<int> answered_{0};
  std::function<void()> no_answer_hook_;  // set before the thread starts
  std::function<void(const std::string &)> written_hook_;  // set before the thread starts
  mutable std::mutex wait_mutex_;
  std::condition_variable wake_;  // busy cleared or stop requested
  bool in_flight_ = false;        // guarded by wait_mutex_: a written command awaits its outcome
  DtuCmdTag in_flight_tag_;       // guarded by wait_mutex_
  std::string in_flight_key_;     // guarded by wait_mutex_
  bool own_ok_due_ = false;       // guarded by wait_mutex_: the last answer's OK may still come apart
};
