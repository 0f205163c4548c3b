#include "link/serial_exit_release.h"

#include <sys/ioctl.h>

#include <atomic>

namespace {

constexpr int kFree = -1;
constexpr int kBeingFilled = -2;  // claimed, settings not yet complete

struct RememberedPort {
  std::atomic<int> fd{kFree};
  termios original{};
};

RememberedPort g_ports[16];

static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

}  // namespace

void DtuSerialRememberOpen(int fd, const termios &original) {
  for (RememberedPort &port : g_ports) {
    int expected = kFree;
    if (!port.fd.compare_exchange_strong(expected, kBeingFilled)) continue;
    port.original = original;
    port.fd.store(fd);
    return;
  }
}

void DtuSerialForget(int fd) {
  for (RememberedPort &port : g_ports) {
    int expected = fd;
    if (port.fd.compare_exchange_strong(expected, kFree)) return;
  }
}

void DtuSerialReleaseAllForExit() {
  for (RememberedPort &port : g_ports) {
    const int fd = port.fd.load();
    if (fd < 0) continue;
    tcsetattr(fd, TCSANOW, &port.original);
    ioctl(fd, TIOCNXCL);
  }
}
