// Everything the dispatcher keeps between answers, in one object: the page
// handlers of the answer table's rows, the answer subscriptions (error hook,
// empty-answer hook, every answer), the receive-window sink, and the remote
// bridge's sink and mode. The process has one (`DtuCmdDispatchState::Shared`),
// which the free functions of link/dtu_cmd_resp_table.h and
// link/dtu_cmd_answer_watch.h front.
//
// Threads: answers are dispatched on the thread that owns the pages, while
// handlers, sinks, subscriptions and the mode may be changed from another.
// Handlers and the mode are atomics; sinks are swapped under a lock and
// called outside it; subscriptions are walked under a recursive lock, so an
// unsubscribe waits for a running callback and a callback may unsubscribe.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/dtu_cmd_resp_table.h"

struct DtuCmdWatchEntry;

class DtuCmdDispatchState {
 public:
  using ReceiveSink = std::function<void(const std::string &text)>;
  using RemoteSink = std::function<void(const char *data, int length)>;

  DtuCmdDispatchState() = default;
  DtuCmdDispatchState(const DtuCmdDispatchState &) = delete;
  DtuCmdDispatchState &operator=(const DtuCmdDispatchState &) = delete;

  static DtuCmdDispatchState &Shared();

  int AttachHandler(const char *key, DtuCmdRespHandler handler);
  void DetachAllHandlers();
  DtuCmdRespHandler Handler(int row) const;

  // One received chunk: see DtuCmdRecvProcess.
  void Dispatch(const char *text, int length);

  void SetReceiveSink(ReceiveSink sink);
  void SetRemoteSink(RemoteSink sink);
  void SetRemoteMode(bool on);
  bool RemoteMode() const;

  void Subscribe(const std::shared_ptr<DtuCmdWatchEntry> &entry);
  void Unsubscribe(const std::shared_ptr<DtuCmdWatchEntry> &entry);
  void DropSubscriptions();

  // Handlers, subscriptions and sinks gone, remote mode off.
  void Reset();

 private:
  void DispatchLocal(const char *cleaned, int length);
  void CallRowHandler(int row, const char *value, int length) const;
  void SendRemote(const char *data, int length) const;
  template <typename Call>
  void Notify(Call call);

  std::array<std::atomic<DtuCmdRespHandler>, kDtuCmdRespTableCapacity> handlers_{};
  std::atomic<bool> remote_mode_{false};

  mutable std::mutex sink_mutex_;
  std::shared_ptr<const ReceiveSink> receive_sink_;
  std::shared_ptr<const RemoteSink> remote_sink_;

  mutable std::recursive_mutex watch_mutex_;
  std::vector<std::shared_ptr<DtuCmdWatchEntry>> watchers_;
};
