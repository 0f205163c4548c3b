#include "tests/remote/remote_test_support.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/dtu_log.h"
#include "tests/support/pty_pair.h"

LinkReceiverLog &LinkReceiverLog::First() {
  static LinkReceiverLog log;
  return log;
}

LinkReceiverLog &LinkReceiverLog::Second() {
  static LinkReceiverLog log;
  return log;
}

void LinkReceiverLog::RecordFirst(const char *topic, const void *payload, int length) {
  First().Record(topic, payload, length);
}

void LinkReceiverLog::RecordSecond(const char *topic, const void *payload, int length) {
  Second().Record(topic, payload, length);
}

void LinkReceiverLog::Record(const char *topic, const void *payload, int length) {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.push_back({topic != nullptr ? topic : "",
                      std::string(static_cast<const char *>(payload), length)});
  arrived_.notify_all();
}

bool LinkReceiverLog::Wait(Entry &out, int timeout_ms) {
  std::unique_lock<std::mutex> guard(lock_);
  if (!arrived_.wait_for(guard, std::chrono::milliseconds(timeout_ms),
                         [this] { return !entries_.empty(); })) {
    return false;
  }
  out = std::move(entries_.front());
  entries_.pop_front();
  return true;
}

void LinkReceiverLog::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.clear();
}

size_t LinkReceiverLog::Count() {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_.size();
}

ScopedTestLog::ScopedTestLog(const std::string &name)
    : path_("./" + name + ".log.txt"), previous_(DtuLogGetPath()) {
  remove(path_.c_str());
  DtuLogSetPath(path_);
}

ScopedTestLog::~ScopedTestLog() { DtuLogSetPath(previous_); }

std::string ScopedTestLog::Text() const {
  std::ifstream in(path_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string UniqueClientId(const std::string &stem) {
  static std::atomic<int> counter{0};
  return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

std::string ReadCount(PtyPair &pty, size_t count, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string got;
  while (got.size() < count) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{pty.MasterFd(), POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    ssize_t n = read(pty.MasterFd(), buffer, std::min(sizeof buffer, count - got.size()));
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
    else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
  }
  return got;
}
