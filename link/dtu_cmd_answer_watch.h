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

// One subscription as the dispatch state keeps it; `alive` turns false when
// it ends, so a walk over a copy of the list skips it.
struct DtuCmdWatchEntry {
  DtuCmdAnswerWatcher watcher;
  bool alive = true;
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

 private:
  std::shared_ptr<DtuCmdWatchEntry> entry_;
};
