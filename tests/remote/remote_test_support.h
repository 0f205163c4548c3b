// Shared pieces of the remote-layer tests: a receiver that records what the
// cloud link delivers, the log file of the current test, and polling waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Records every message the cloud link hands to its receiver.
class LinkReceiverLog {
 public:
  struct Entry {
    std::string topic;
    std::string payload;
  };
  static LinkReceiverLog &First();
  static LinkReceiverLog &Second();
  // Plain function pointers for tam_mqtt_client_params::on_message.
  static void RecordFirst(const char *topic, const void *payload, int length);
  static void RecordSecond(const char *topic, const void *payload, int length);

  void Record(const char *topic, const void *payload, int length);
  bool Wait(Entry &out, int timeout_ms);
  void Clear();
  size_t Count();

 private:
  std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<Entry> entries_;
};

// Points the diagnostic log at a file of this test and reads it back.
class ScopedTestLog {
 public:
  explicit ScopedTestLog(const std::string &name);
  ~ScopedTestLog();
  std::string Text() const;
  bool Contains(const std::string &needle) const { return Text().find(needle) != std::string::npos; }

 private:
  std::string path_;
  std::string previous_;
};

// Polls cond every 5 ms until it holds or timeout_ms passed.
inline bool WaitUntil(const std::function<bool()> &cond, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A client identifier that no earlier test used (the link keeps sessions).
std::string UniqueClientId(const std::string &stem);

class PtyPair;
// Reads from the pair's master until `count` bytes arrived or timeout_ms
// passed (binary-safe; the answer may hold zero bytes).
std::string ReadCount(PtyPair &pty, size_t count, int timeout_ms);
