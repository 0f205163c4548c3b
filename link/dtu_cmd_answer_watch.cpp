#include "link/dtu_cmd_answer_watch.h"

#include "link/dtu_cmd_dispatch_state.h"

DtuCmdAnswerSubscription::DtuCmdAnswerSubscription(DtuCmdAnswerWatcher watcher)
    : entry_(std::make_shared<DtuCmdWatchEntry>()) {
  entry_->watcher = std::move(watcher);
  DtuCmdDispatchState::Shared().Subscribe(entry_);
}

DtuCmdAnswerSubscription::~DtuCmdAnswerSubscription() { DtuCmdDispatchState::Shared().Unsubscribe(entry_); }
