#include "link/dtu_cmd_dispatch_state.h"

#include <algorithm>
#include <cstring>

#include "base/dtu_log.h"
#include "link/dtu_cmd_answer_watch.h"

namespace {

bool HoldsErrorWord(const char *text) {
  return std::strstr(text, "ERROR") || std::strstr(text, "error") || std::strstr(text, "FAIL") ||
         std::strstr(text, "fail");
}

template <typename Sink>
std::shared_ptr<const Sink> Hold(Sink sink) {
  return sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
}

}  // namespace

DtuCmdDispatchState &DtuCmdDispatchState::Shared() {
  // Never destroyed: a page or subscription that goes during the program's
  // exit may still reach it.
  static DtuCmdDispatchState *const state = new DtuCmdDispatchState;
  return *state;
}

int DtuCmdDispatchState::AttachHandler(const char *key, DtuCmdRespHandler handler) {
  if (key == nullptr || handler == nullptr) return 0;
  int attached = 0;
  for (int r = 0; r < DtuCmdRespRowCount(); ++r) {
    if (DtuCmdRespRowHasKey(r, key)) {
      handlers_[r].store(handler, std::memory_order_release);
      ++attached;
    }
  }
  if (attached == 0) DTU_LOG("no answer row for key \"%s\".", key);
  return attached;
}

void DtuCmdDispatchState::DetachAllHandlers() {
  for (auto &h : handlers_) h.store(nullptr, std::memory_order_release);
}

DtuCmdRespHandler DtuCmdDispatchState::Handler(int row) const {
  if (row < 0 || row >= DtuCmdRespRowCount()) return nullptr;
  return handlers_[row].load(std::memory_order_acquire);
}

template <typename Call>
void DtuCmdDispatchState::Notify(Call call) {
  std::lock_guard<std::recursive_mutex> lock(watch_mutex_);
  // A copy: a callback may subscribe or unsubscribe while the list is walked.
  const std::vector<std::shared_ptr<DtuCmdWatchEntry>> entries = watchers_;
  for (const auto &entry : entries) {
    if (entry->alive) call(entry->watcher);
  }
}

void DtuCmdDispatchState::Dispatch(const char *text, int length) {
  if (text == nullptr) length = 0;
  if (RemoteMode()) {
    if (length > 0) SendRemote(text, length);
    return;
  }
  if (length <= 0) {
    Notify([](const DtuCmdAnswerWatcher &w) {
      if (w.on_empty) w.on_empty();
    });
    return;
  }
  // Handlers read the value as a NUL-terminated text: keep a terminated copy
  // in case the caller's buffer is not.
  static thread_local std::string copy;
  copy.assign(text, static_cast<size_t>(length));
  DispatchLocal(copy.c_str(), length);
}

void DtuCmdDispatchState::DispatchLocal(const char *cleaned, int length) {
  if (HoldsErrorWord(cleaned)) {
    Notify([cleaned](const DtuCmdAnswerWatcher &w) {
      if (w.on_error) w.on_error(cleaned);
    });
  }
  const DtuCmdRespMatch match = DtuCmdMatchAnswer(cleaned, length);
  if (match.row >= 0 && match.empty_value) {
    CallRowHandler(match.row, "", 0);
  } else if (match.row >= 0) {
    const int prefix_length = DtuCmdRespPrefixLength(match.row);
    // A value of one byte or none would give a negative count: handlers get 0.
    const int value_length = length - match.position - prefix_length - 2;
    CallRowHandler(match.row, cleaned + match.position + prefix_length, value_length < 0 ? 0 : value_length);
  }
  std::shared_ptr<const ReceiveSink> sink;
  {
    std::lock_guard<std::mutex> lock(sink_mutex_);
    sink = receive_sink_;
  }
  if (sink && *sink) (*sink)(std::string(cleaned, static_cast<size_t>(length)) + "\r\n");
  Notify([cleaned, length](const DtuCmdAnswerWatcher &w) {
    if (w.on_answer) w.on_answer(cleaned, length);
  });
}

void DtuCmdDispatchState::CallRowHandler(int row, const char *value, int length) const {
  DtuCmdRespHandler handler = Handler(row);
  if (handler != nullptr) {
    handler(value, length);
  } else if (row != kDtuCmdBandValueRow) {
    DTU_LOG("no page handles \"%s\" yet, answer ignored.", DtuCmdRespPrefix(row));
  }
}

void DtuCmdDispatchState::SendRemote(const char *data, int length) const {
  std::shared_ptr<const RemoteSink> sink;
  {
    std::lock_guard<std::mutex> lock(sink_mutex_);
    sink = remote_sink_;
  }
  if (sink && *sink) {
    (*sink)(data, length);
  } else {
    DTU_LOG("remote mode without a remote link, %d bytes dropped.", length);
  }
}

void DtuCmdDispatchState::SetReceiveSink(ReceiveSink sink) {
  auto holder = Hold(std::move(sink));
  std::lock_guard<std::mutex> lock(sink_mutex_);
  receive_sink_ = std::move(holder);
}

void DtuCmdDispatchState::SetRemoteSink(RemoteSink sink) {
  auto holder = Hold(std::move(sink));
  std::lock_guard<std::mutex> lock(sink_mutex_);
  remote_sink_ = std::move(holder);
}

void DtuCmdDispatchState::SetRemoteMode(bool on) { remote_mode_.store(on, std::memory_order_release); }

bool DtuCmdDispatchState::RemoteMode() const { return remote_mode_.load(std::memory_order_acquire); }

void DtuCmdDispatchState::Subscribe(const std::shared_ptr<DtuCmdWatchEntry> &entry) {
  std::lock_guard<std::recursive_mutex> lock(watch_mutex_);
  watchers_.push_back(entry);
}

void DtuCmdDispatchState::Unsubscribe(const std::shared_ptr<DtuCmdWatchEntry> &entry) {
  std::lock_guard<std::recursive_mutex> lock(watch_mutex_);
  entry->alive = false;
  watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), entry), watchers_.end());
}

void DtuCmdDispatchState::DropSubscriptions() {
  std::lock_guard<std::recursive_mutex> lock(watch_mutex_);
  for (const auto &entry : watchers_) entry->alive = false;
  watchers_.clear();
}

void DtuCmdDispatchState::Reset() {
  SetRemoteMode(false);
  DetachAllHandlers();
  SetReceiveSink(nullptr);
  SetRemoteSink(nullptr);
  DropSubscriptions();
}

// ---- The free functions the rest of the program calls ----

int DtuCmdAttachHandler(const char *key, DtuCmdRespHandler handler) {
  return DtuCmdDispatchState::Shared().AttachHandler(key, handler);
}

void DtuCmdDetachAllHandlers() { DtuCmdDispatchState::Shared().DetachAllHandlers(); }

void DtuCmdResetDispatch() { DtuCmdDispatchState::Shared().Reset(); }

void DtuCmdRecvProcess(const char *text, int length) { DtuCmdDispatchState::Shared().Dispatch(text, length); }

void DtuCmdSetReceiveSink(std::function<void(const std::string &text)> sink) {
  DtuCmdDispatchState::Shared().SetReceiveSink(std::move(sink));
}

void DtuCmdSetRemoteMode(bool on) { DtuCmdDispatchState::Shared().SetRemoteMode(on); }

bool DtuCmdRemoteMode() { return DtuCmdDispatchState::Shared().RemoteMode(); }

void DtuCmdSetRemoteSink(std::function<void(const char *data, int length)> sink) {
  DtuCmdDispatchState::Shared().SetRemoteSink(std::move(sink));
}
