#include "tests/remote/remote_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/dtu_log.h"

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

RawPty::RawPty() {
  int master = -1, slave = -1;
  char name[256] = {0};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
  for (int fd : {master, slave}) {
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  master_ = master;
  slave_ = slave;  // kept open so the line never hangs up while the test runs
  slave_path_ = name;
}

RawPty::~RawPty() {
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
}

bool RawPty::Write(const std::string &bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

namespace {

// Appends what the fd offers within the remaining time; false on time-out.
bool ReadSome(int fd, std::string &out, std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return false;
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
  char buffer[4096];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) out.append(buffer, static_cast<size_t>(n));
  return n > 0 || (n < 0 && errno == EINTR);
}

}  // namespace

std::string RawPty::ReadCount(size_t count, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string got;
  while (got.size() < count && ReadSome(master_, got, deadline)) {
  }
  return got;
}

std::string RawPty::ReadUntil(const std::string &stop, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string got;
  while (got.find(stop) == std::string::npos && ReadSome(master_, got, deadline)) {
  }
  return got;
}
