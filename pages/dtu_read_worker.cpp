#include "pages/dtu_read_worker.h"

void DtuReadWorker::Start(std::function<void(DtuReadWorker &)> body) {
  Stop();
  stop_.store(false);
  running_.store(true);
  thread_ = std::thread([this, body = std::move(body)] {
    body(*this);
    running_.store(false);
  });
}

void DtuReadWorker::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_.store(true);
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  running_.store(false);
}

bool DtuReadWorker::Sleep(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

bool DtuReadWorker::WaitFor(const std::function<bool()> &ready, int tries) {
  for (int i = 0; i < tries; ++i) {
    if (stop_.load()) return false;
    if (ready()) return true;
    if (!Sleep(1)) return false;
  }
  return !stop_.load() && ready();
}
