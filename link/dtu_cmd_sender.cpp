#include "link/dtu_cmd_sender.h"

#include <system_error>

#include "base/dtu_log.h"
#include "link/dtu_cmd_ring.h"
#include "link/serial_port_base.h"

bool DtuCmdSender::Start() {
  Stop();
  busy_.store(0);
  written_.store(0);
  answered_.store(0);
  running_.store(true);
  try {
    thread_ = std::thread(&DtuCmdSender::Run, this);
  } catch (const std::system_error &e) {
    running_.store(false);
    DTU_LOG("sender thread not started: %s.", e.what());
    return false;
  }
  return true;
}

void DtuCmdSender::Stop() {
  {
    std::lock_guard<std::mutex> lock(wait_mutex_);
    running_.store(false);
  }
  wake_.notify_all();
  DtuCmdRingInstance().Wake();
  if (thread_.joinable()) thread_.join();
  EndInFlight(DtuCmdOutcome::kPortClosed);
}

void DtuCmdSender::EndInFlight(DtuCmdOutcome outcome, const std::string &answer, bool whole,
                               const char *error_word) {
  DtuCmdReport report;
  {
    std::lock_guard<std::mutex> lock(wait_mutex_);
    if (!in_flight_) return;
    in_flight_ = false;
    report.tag = in_flight_tag_;
  }
  report.outcome = outcome;
  report.answer = answer;
  report.whole = whole;
  report.error_word = error_word;
  if (reporter_) reporter_(report);
}

void DtuCmdSender::ClearBusy(DtuCmdOutcome outcome, const std::string &answer, bool whole,
                             const char *error_word) {
  DtuCmdReport report;
  bool answered = false;
  {
    // The command this answer ends is taken together with the busy flag:
    // once the flag is clear the sender may put the next command in flight,
    // and the report must not go to that one.
    std::lock_guard<std::mutex> lock(wait_mutex_);
    if (busy_.exchange(0) == 1) {
      answered_.fetch_add(1);
      answered = in_flight_;
      in_flight_ = false;
      report.tag = in_flight_tag_;
    }
  }
  wake_.notify_all();
  if (!answered) return;
  report.outcome = outcome;
  report.answer = answer;
  report.whole = whole;
  report.error_word = error_word;
  if (reporter_) reporter_(report);
}

void DtuCmdSender::MarkInFlight(const DtuCmdTag &tag, std::string key) {
  std::lock_guard<std::mutex> lock(wait_mutex_);
  busy_.store(1);
  in_flight_ = true;
  in_flight_tag_ = tag;
  in_flight_key_ = std::move(key);
}

std::string DtuCmdSender::InFlightKey() const {
  std::lock_guard<std::mutex> lock(wait_mutex_);
  return in_flight_ ? in_flight_key_ : std::string();
}

void DtuCmdSender::OnBurst(const std::string &cleaned, bool whole, bool ends_with_ok) {
  std::string key;
  bool ok_due = false;
  {
    std::lock_guard<std::mutex> lock(wait_mutex_);
    key = in_flight_ ? in_flight_key_ : std::string();
    ok_due = own_ok_due_;
    own_ok_due_ = false;
  }
  const char *error_word = "";
  const DtuCmdAnswerVerdict verdict = DtuCmdJudgeAnswer(key, cleaned, whole, &error_word);
  switch (verdict) {
    case DtuCmdAnswerVerdict::kAcknowledged:
      // The OK of the answer before, sent apart from its key line; or no OK
      // at all, only the line end a device sends ahead of its answer and
      // then pauses after.
      if (ok_due || !ends_with_ok) return;
      ClearBusy(DtuCmdOutcome::kAcknowledged, cleaned, whole, "");
      return;
    case DtuCmdAnswerVerdict::kRefused:
      ClearBusy(DtuCmdOutcome::kDeviceError, cleaned, whole, error_word);
      return;
    case DtuCmdAnswerVerdict::kAnswered: {
      std::lock_guard<std::mutex> lock(wait_mutex_);
      own_ok_due_ = !ends_with_ok;
    }
      ClearBusy(DtuCmdOutcome::kAnswered, cleaned, whole, "");
      return;
    case DtuCmdAnswerVerdict::kPartial:
    case DtuCmdAnswerVerdict::kNotItsAnswer:
      DTU_LOG("answer not for %s, not credited : %.80s", key.c_str(), cleaned.c_str());
      return;
  }
}

bool DtuCmdSender::WaitForAnswer(Clock::time_point written_at) {
  std::unique_lock<std::mutex> lock(wait_mutex_);
  return wake_.wait_until(lock, written_at + std::chrono::milliseconds(kBusyWaitLimitMs),
                          [this] { return busy_.load() == 0 || !running_.load(); });
}

void DtuCmdSender::PauseUntil(Clock::time_point due) {
  std::unique_lock<std::mutex> lock(wait_mutex_);
  wake_.wait_until(lock, due, [this] { return !running_.load(); });
}

void DtuCmdSender::Run() {
  DtuCmdRing &ring = DtuCmdRingInstance();
  DtuCmdSlot slot;
  while (running_.load()) {
    DtuCmdTag tag;
    if (ring.Get(&slot, &tag) != 0) {
      ring.WaitForItem(std::chrono::milliseconds(1000));
      continue;
    }
    const Clock::time_point written_at = Clock::now();
    MarkInFlight(tag, DtuCmdLineKey(slot.text, slot.length));
    written_.fetch_add(1);
    driver_->Write(slot.text, slot.length);  // a failed write is not retried
    if (written_hook_) written_hook_(std::string(slot.text, static_cast<size_t>(slot.length)));
    // After 5 s without an answer the next command goes out regardless; the
    // one that got none is not repeated.
    if (!WaitForAnswer(written_at)) {
      if (no_answer_hook_) no_answer_hook_();
      EndInFlight(DtuCmdOutcome::kNoAnswer);
    }
    PauseUntil(written_at + std::chrono::milliseconds(kPauseAfterWriteMs));
  }
}
