// A paced read on a thread of its own: the pages whose later queries depend
// on earlier answers queue one query, wait for the answer handler to raise a
// flag, and sleep between queries. The body may touch only atomics and the
// command ring (whose put side is guarded); everything else stays on the
// page's thread. A new Start stops the running body first, and the
// destructor stops and joins it, so a page never outlives its worker.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class DtuReadWorker {
 public:
  DtuReadWorker() = default;
  ~DtuReadWorker() { Stop(); }
  DtuReadWorker(const DtuReadWorker &) = delete;
  DtuReadWorker &operator=(const DtuReadWorker &) = delete;

  // Stops a running body, then runs `body` on a new thread.
  void Start(std::function<void(DtuReadWorker &)> body);
  // Asks the body to end, wakes it from a sleep and joins it.
  void Stop();
  bool Running() const { return running_.load(); }

  // For the body: sleeps, returning false at once when asked to stop.
  bool Sleep(int ms);
  // For the body: checks `ready`, then sleeps 1 ms, at most `tries` times.
  // True when ready; false when it never was, or when asked to stop.
  bool WaitFor(const std::function<bool()> &ready, int tries);
  bool StopRequested() const { return stop_.load(); }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
};
