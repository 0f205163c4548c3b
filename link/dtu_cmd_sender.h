// The sender thread of the command port: takes the oldest command from the
// ring, writes it, waits (at most 5 s) for its answer and keeps at least
// 50 ms before the next. It sleeps until a command is queued. It knows which
// command is in flight and reports one outcome per command: answered (or a
// device error) when the listener clears the busy flag, no answer after 5 s,
// port closed when it is stopped with the command unanswered.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

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
  // Wakes and joins the thread; a command still in flight is reported as
  // port closed.
  void Stop();

  // The listener's part: some text was received after the last write; its
  // outcome goes to the command in flight, if any.
  // `answer` and `whole` go into the report (DtuCmdReport).
  void ClearBusy(DtuCmdOutcome outcome = DtuCmdOutcome::kAnswered, const std::string &answer = std::string(),
                 bool whole = true, const char *error_word = "");
  bool Busy() const { return busy_.load(); }
  int Written() const { return written_.load(); }
  int Answered() const { return answered_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  void Run();
  void MarkInFlight(const DtuCmdTag &tag);
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
  std::mutex wait_mutex_;
  std::condition_variable wake_;  // busy cleared or stop requested
  bool in_flight_ = false;        // guarded by wait_mutex_: a written command awaits its outcome
  DtuCmdTag in_flight_tag_;       // guarded by wait_mutex_
};
