#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

PtyPeer::PtyPeer() {
  char name[256] = {0};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    master_ = slave_ = -1;
    return;
  }
  for (int fd : {master_, slave_}) {
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
  }
  path_ = name;
}

PtyPeer::~PtyPeer() { Unplug(); }

std::string PtyPeer::Read(size_t want, int timeout_ms) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (master_ >= 0 && got.size() < want) {
    int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (left <= 0) {
      break;
    }
    pollfd pfd{master_, POLLIN, 0};
    if (poll(&pfd, 1, left) <= 0) {
      continue;
    }
    char buf[512];
    ssize_t n = read(master_, buf, sizeof(buf));
    if (n <= 0) {
      break;
    }
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

void PtyPeer::Write(const std::string &bytes) {
  if (master_ >= 0) {
    ssize_t ignored = write(master_, bytes.data(), bytes.size());
    (void)ignored;
  }
}

void PtyPeer::Unplug() {
  if (slave_ >= 0) {
    close(slave_);
    slave_ = -1;
  }
  if (master_ >= 0) {
    close(master_);
    master_ = -1;
  }
}
