#include "pages/dtu_dlt645_rule_reader.h"

#include <QMetaObject>

#include <string>

#include "base/dtu_log.h"
#include "pages/dtu_dlt645.h"
#include "pages/dtu_page_send.h"

DtuDlt645RuleReader::DtuDlt645RuleReader(DtuDLT645 &page) : page_(page) {}

DtuDlt645RuleReader::~DtuDlt645RuleReader() { Stop(); }

void DtuDlt645RuleReader::Start(const std::vector<int> &channels) {
  Stop();
  stop_ = false;
  running_ = true;
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
  while (!done() && !Stopped()) {
    // The answers are written on the GUI thread without this lock: poll
    // them every millisecond, as the page always did.
    if (wake_.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(1)),
                         [this] { return Stopped(); })) {
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  return done() && !Stopped();
}

bool DtuDlt645RuleReader::ReadChannel(int channel) {
  page_.items_answered_ = 0;
  page_.items_to_read_ = 0;
  page_.rule_read_state_ = 0;
  page_.channel_being_read_ = channel;
  DtuPageQueueLine("AT+ZEVCFG=get|dlt645-meter-rule|ch:" + std::to_string(channel) + "\r\n");
  if (!WaitFor([this] { return page_.rule_read_state_.load() != 0; }, kAnswerWait)) return false;
  if (page_.rule_read_state_ < 0) return true;
  const int count = page_.items_to_read_;
  for (int p = 1; p <= count && !Stopped(); ++p) {
    DtuPageQueueLine("AT+ZEVCFG=get|dlt645-meter-rule-item|ch:" + std::to_string(channel) + "/paramId:" +
                     std::to_string(p) + "\r\n");
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
  if (failed) DTU_LOG("no answer to the rule read of channel %d.", failed);
  DtuDLT645 *page = &page_;
  QMetaObject::invokeMethod(
      page, [page, failed] { page->OnRuleSequenceDone(failed); }, Qt::QueuedConnection);
}
