#include "pages/kit/dtu_read_watch.h"

#include <atomic>

namespace {

std::atomic<DtuReadWatch *> g_current{nullptr};
std::mutex g_current_mutex;  // a watch is not destroyed while a query is tagged with it

}  // namespace

DtuReadWatch::DtuReadWatch() {
  owner_ = DtuCmdAddOwner([this](const DtuCmdReport &report) { OnReport(report); });
  std::lock_guard<std::mutex> lock(g_current_mutex);
  g_current.store(this);
}

DtuReadWatch::~DtuReadWatch() {
  {
    std::lock_guard<std::mutex> lock(g_current_mutex);
    DtuReadWatch *self = this;
    g_current.compare_exchange_strong(self, nullptr);
  }
  DtuCmdRemoveOwner(owner_);
}

DtuCmdTag DtuReadWatch::TagQuery(const std::string &key) {
  std::lock_guard<std::mutex> current_lock(g_current_mutex);
  DtuReadWatch *watch = g_current.load();
  if (watch == nullptr) return DtuCmdTag{};
  std::lock_guard<std::mutex> lock(watch->mutex_);
  watch->queries_.push_back(Query{key.substr(0, key.find('|')), false, false});
  return DtuCmdTag{watch->owner_, 0, static_cast<int>(watch->queries_.size()) - 1};
}

void DtuReadWatch::OnReport(const DtuCmdReport &report) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (report.tag.item < 0 || report.tag.item >= static_cast<int>(queries_.size())) return;
  Query &query = queries_[static_cast<size_t>(report.tag.item)];
  query.reported = true;
  query.refused = report.outcome == DtuCmdOutcome::kDeviceError;
  query.own_answer = report.outcome == DtuCmdOutcome::kAnswered && report.whole &&
                     DtuCmdAnswerHoldsKeyLine(report.answer, query.key);
}

int DtuReadWatch::Queries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(queries_.size());
}

bool DtuReadWatch::AllReported() const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Query &query : queries_) {
    if (!query.reported) return false;
  }
  return true;
}

std::vector<std::string> DtuReadWatch::KeysWithoutTheirAnswer() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> keys;
  for (const Query &query : queries_) {
    if (!query.own_answer) keys.push_back(query.key);
  }
  return keys;
}

std::vector<std::string> DtuReadWatch::KeysRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> keys;
  for (const Query &query : queries_) {
    if (query.refused) keys.push_back(query.key);
  }
  return keys;
}
