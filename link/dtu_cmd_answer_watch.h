// Watching the answers as they are dispatched: a paced command sequence (or
// any other listener) subscribes to the error hook (an answer holding
// "ERROR", "error", "FAIL" or "fail", before its handler runs), the
// empty-answer hook (an answer that was only "OK") and every dispatched
// answer (after its handler ran). Callbacks run on the thread that runs
// DtuCmdRecvProcess; they must not block on another thread.
#pragma once

#include <functional>
#include <memory>

struct DtuCmdAnswerWatcher {
  std::function<void(const char *text)> on_error;            // cleaned text
  std::function<void()> on_empty;                            // a bare "OK"
  std::function<void(const char *text, int length)> on_answer;  // cleaned text
};

// Subscribed from construction to destruction. Once the destructor returned,
// no callback of this watcher runs any more (one that runs on another thread
// is waited for), so the object that owns the subscription may go.
class DtuCmdAnswerSubscription {
 public:
  explicit DtuCmdAnswerSubscription(DtuCmdAnswerWatcher watcher);
  ~DtuCmdAnswerSubscription();
  DtuCmdAnswerSubscription(const DtuCmdAnswerSubscription &) = delete;
  DtuCmdAnswerSubscription &operator=(const DtuCmdAnswerSubscription &) = delete;

  struct Entry;

 private:
  std::shared_ptr<Entry> entry_;
};

// The dispatcher's side: tell every subscriber.
void DtuCmdNotifyError(const char *text);
void DtuCmdNotifyEmpty();
void DtuCmdNotifyAnswer(const char *text, int length);
// Drops every subscription (tests start from a clean dispatcher).
void DtuCmdDropAnswerSubscriptions();
