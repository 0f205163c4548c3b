#include "tests/support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "link/serial_termios.h"

PtyPair::PtyPair() {
  char name[256] = {0};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  DtuTermiosMakeRaw(master_);
  DtuTermiosMakeRaw(slave_);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  slave_path_ = name;
}

PtyPair::~PtyPair() {
  CloseMaster();
  CloseSlave();
}

void PtyPair::Write(const std::string &bytes) {
  size_t done = 0;
  while (done < bytes.size() && master_ >= 0) {
    ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<size_t>(n);
    else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
  }
}

std::string PtyPair::ReadUntil(const std::string &needle, std::chrono::milliseconds timeout) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (master_ >= 0 && (needle.empty() || got.find(needle) == std::string::npos)) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd pfd{master_, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    ssize_t n = ::read(master_, buf, sizeof(buf));
    if (n > 0) got.append(buf, static_cast<size_t>(n));
    else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
  }
  return got;
}

std::string PtyPair::ReadFor(std::chrono::milliseconds window) { return ReadUntil(std::string(), window); }

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void PtyPair::CloseSlave() {
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}
