#include "pages/dtu_dlt645_rule_reader.h"

#include <QMetaObject>

#include <string>

#include "base/dtu_log.h"
#include "link/dtu_cmd_outcome.h"
#include "link/dtu_cmd_port.h"
#include "pages/dtu_dlt645.h"

// A query that ends without an answer line (a device error, the port
// closing) ends the read at once instead of after the answer wait.
DtuDlt645RuleReader::DtuDlt645RuleReader(DtuDLT645 &page) : page_(page) {
  owner_ = DtuCmdAddOwner([this](const DtuCmdReport &report) {
    if (report.outcome != DtuCmdOutcome::kAnswered) refused_ = true;
  });
}

DtuDlt645RuleReader::~DtuDlt645RuleReader() {
  Stop();
  DtuCmdRemoveOwner(owner_);
}

void DtuDlt645RuleReader::Start(const std::vector<int> &channels) {
  Stop();
  stop_ = false;
  refused_ = false;
  running_ = true;
  // Set before the thread runs: answers that arrive from now on belong to a
  // running read.
  page_.channel_being_read_ = channels.empty() ? 0 : channels.front();
  thread_ = std::thread(&DtuDlt645RuleReader::Run, this, channels);
}

void DtuDlt645RuleReader::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  running_ = false;
}

template <class Done>
bool DtuDlt645RuleReader::WaitFor(Done done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!done() && !StoppedOrFailed()) {
    // The answers are written on the GUI thread without this lock: poll
    // them every millisecond, as the page always did.
    if (wake_.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(1)),
                         [this] { return StoppedOrFailed(); })) {
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  return done() && !StoppedOrFailed();
}

void DtuDlt645RuleReader::Query(const std::string &line, int channel, int item) {
  DtuCmdPort::DtuCmdRingbufSend(line.c_str(), static_cast<int>(line.size()), DtuCmdTag{owner_, channel, item});
}

bool DtuDlt645RuleReader::ReadChannel(int channel) {
  page_.items_answered_ = 0;
  page_.items_to_read_ = 0;
  page_.rule_read_state_ = 0;
  page_.channel_being_read_ = channel;
  Query("AT+ZEVCFG=get|dlt645-meter-rule|ch:" + std::to_string(channel) + "\r\n", channel, 0);
  if (!WaitFor([this] { return page_.rule_read_state_.load() != 0; }, kAnswerWait)) return false;
  if (page_.rule_read_state_ < 0) return true;
  const int count = page_.items_to_read_;
  for (int p = 1; p <= count && !StoppedOrFailed(); ++p) {
    Query("AT+ZEVCFG=get|dlt645-meter-rule-item|ch:" + std::to_string(channel) + "/paramId:" + std::to_string(p) +
              "\r\n",
          channel, p);
    WaitFor([] { return false; }, kItemPause);
  }
  const unsigned all = (1u << count) - 1u;
  return WaitFor([this, all] { return (page_.items_answered_.load() & all) == all; }, kAnswerWait);
}

void DtuDlt645RuleReader::Run(std::vector<int> channels) {
  int failed = 0;
  for (int channel : channels) {
    if (Stopped()) break;
    if (!ReadChannel(channel)) {
      if (!Stopped()) failed = channel;
      break;
    }
  }
  page_.channel_being_read_ = 0;
  running_ = false;
  if (Stopped()) return;
  const bool refused = refused_;
  if (failed) DTU_LOG("rule read of channel %d failed (%s).", failed, refused ? "device error" : "no answer");
  DtuDLT645 *page = &page_;
  QMetaObject::invokeMethod(
      page, [page, failed, refused] { page->OnRuleSequenceDone(failed, refused); }, Qt::QueuedConnection);
}
