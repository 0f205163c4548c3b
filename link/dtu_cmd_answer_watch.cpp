#include "link/dtu_cmd_answer_watch.h"

#include <algorithm>
#include <mutex>
#include <vector>

struct DtuCmdAnswerSubscription::Entry {
  DtuCmdAnswerWatcher watcher;
  bool alive = true;
};

namespace {

using Entry = DtuCmdAnswerSubscription::Entry;

// Held while callbacks run, so an unsubscribe on another thread waits for a
// running callback; recursive, so a callback may end its own subscription.
std::recursive_mutex g_watch_mutex;
std::vector<std::shared_ptr<Entry>> g_entries;

template <typename Call>
void Notify(Call call) {
  std::lock_guard<std::recursive_mutex> lock(g_watch_mutex);
  // A copy: a callback may subscribe or unsubscribe while the list is walked.
  const std::vector<std::shared_ptr<Entry>> entries = g_entries;
  for (const auto &entry : entries) {
    if (entry->alive) call(entry->watcher);
  }
}

}  // namespace

DtuCmdAnswerSubscription::DtuCmdAnswerSubscription(DtuCmdAnswerWatcher watcher)
    : entry_(std::make_shared<Entry>()) {
  entry_->watcher = std::move(watcher);
  std::lock_guard<std::recursive_mutex> lock(g_watch_mutex);
  g_entries.push_back(entry_);
}

DtuCmdAnswerSubscription::~DtuCmdAnswerSubscription() {
  std::lock_guard<std::recursive_mutex> lock(g_watch_mutex);
  entry_->alive = false;
  g_entries.erase(std::remove(g_entries.begin(), g_entries.end(), entry_), g_entries.end());
}

void DtuCmdNotifyError(const char *text) {
  Notify([text](const DtuCmdAnswerWatcher &w) {
    if (w.on_error) w.on_error(text);
  });
}

void DtuCmdNotifyEmpty() {
  Notify([](const DtuCmdAnswerWatcher &w) {
    if (w.on_empty) w.on_empty();
  });
}

void DtuCmdNotifyAnswer(const char *text, int length) {
  Notify([text, length](const DtuCmdAnswerWatcher &w) {
    if (w.on_answer) w.on_answer(text, length);
  });
}

void DtuCmdDropAnswerSubscriptions() {
  std::lock_guard<std::recursive_mutex> lock(g_watch_mutex);
  for (const auto &entry : g_entries) entry->alive = false;
  g_entries.clear();
}
