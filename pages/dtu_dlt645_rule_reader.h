// The forwarding rule read worker: per configure channel it queues the rule
// query, waits for the header answer, then queues the item queries 200 ms
// apart and waits for their answers. Later queries depend on earlier
// answers, so this runs off the GUI thread; it touches only the page's
// atomics and the command ring. It can be stopped at any moment and is
// joined before the page goes away.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DtuDLT645;

class DtuDlt645RuleReader {
 public:
  // Pause after each item query.
  static constexpr std::chrono::milliseconds kItemPause{200};
  // How long an answer may take: the command port itself waits up to 5 s
  // for each command ahead of ours.
  static constexpr std::chrono::milliseconds kAnswerWait{6000};

  explicit DtuDlt645RuleReader(DtuDLT645 &page);
  ~DtuDlt645RuleReader();
  DtuDlt645RuleReader(const DtuDlt645RuleReader &) = delete;
  DtuDlt645RuleReader &operator=(const DtuDlt645RuleReader &) = delete;

  // Reads the channels in order; a read still running is stopped first.
  void Start(const std::vector<int> &channels);
  // Stops and joins the worker; nothing more is queued after it returns.
  void Stop();
  bool Running() const { return running_.load(); }

 private:
  void Run(std::vector<int> channels);
  // false: a query of the channel failed or got no answer in time (or stopped).
  bool ReadChannel(int channel);
  void Query(const std::string &line, int channel, int item);
  // Waits, stoppable, until `done` or the time-out; returns done().
  template <class Done>
  bool WaitFor(Done done, std::chrono::milliseconds timeout);
  bool Stopped() const { return stop_.load(); }
  bool StoppedOrFailed() const { return stop_.load() || refused_.load(); }

  DtuDLT645 &page_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  // Set from the command outcomes: the device answered a query with an error.
  std::atomic<bool> refused_{false};
  int owner_ = 0;
};
