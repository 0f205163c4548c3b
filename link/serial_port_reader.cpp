// The background reception of CSerialPortPosix: poll, drain into the receive
// ring, quiet-gap notification, and the hang-up of a port whose device left.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdint>

#include "base/dtu_log.h"
#include "link/serial_error.h"
#include "link/serial_port_posix.h"

namespace {

using Clock = std::chrono::steady_clock;

bool IsDeviceGone(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == EBADF; }

int MillisecondsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return static_cast<int>((left + 999) / 1000);
}

// At most this much is read under the lock in one go, so a flood of bytes
// cannot keep writers out.
constexpr unsigned int kDrainLimit = 64 * 1024;

}  // namespace

// Reads what the port holds into the receive ring. A hung-up tty reads 0
// bytes or fails with EIO/ENXIO: that is the device gone. With keep_oldest
// the drain stops when the ring is full, so a stream with no quiet gap is not
// overwritten before the listener took it: the rest waits in the kernel.
CSerialPortPosix::DrainResult CSerialPortPosix::DrainPort(int fd, bool keep_oldest) {
  DrainResult result;
  char chunk[4096];
  std::lock_guard<std::mutex> lock(port_mutex_);
  while (result.received < kDrainLimit) {
    uint32_t room = sizeof(chunk);
    if (keep_oldest) room = std::min(room, ring_->Capacity() - ring_->Size());
    if (room == 0) break;
    ssize_t n = ::read(fd, chunk, room);
    if (n > 0) {
      ring_->Write(chunk, static_cast<uint32_t>(n));
      result.received += static_cast<unsigned int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    result.gone = (n == 0) || IsDeviceGone(errno);
    if (!result.gone) SetLastError(kSerialReadFailed);
    break;
  }
  result.ring_full = ring_->IsFull();
  return result;
}

bool CSerialPortPosix::ShouldNotifyAtOnce() {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return ring_->IsFull() || ring_->Size() > GetFullNotifyBytes();
}

void CSerialPortPosix::NotifyWaiting(const std::string &port_name) {
  unsigned int waiting = GetPendingBytes();
  if (waiting == 0 || waiting < GetMinNotifyBytes()) return;
  NotifyListener(port_name.c_str(), waiting);
}

void CSerialPortPosix::ReaderLoop(int fd, int wake_fd, std::string port_name) {
  bool gap_pending = false;
  // Set when a notification left the ring full (the listener took nothing):
  // the next drain overwrites the oldest bytes instead of spinning on them.
  bool listener_stalled = false;
  Clock::time_point gap_deadline;
  while (running_.load()) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    int ready = ::poll(fds, 2, gap_pending ? MillisecondsUntil(gap_deadline) : -1);
    if (ready < 0 && errno == EINTR) continue;
    if (fds[1].revents != 0 || !running_.load()) break;
    if (ready == 0) {  // the quiet gap passed
      gap_pending = false;
      NotifyWaiting(port_name);
      continue;
    }
    DrainResult drained;
    if (ready > 0 && fds[0].revents != 0) drained = DrainPort(fd, HasListener() && !listener_stalled);
    const bool hung_up = ready < 0 || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if ((drained.received > 0 || drained.ring_full) && HasListener()) {
      const unsigned int idle = GetReadIdleTime();
      if (idle == 0 || ShouldNotifyAtOnce()) {
        gap_pending = false;
        NotifyWaiting(port_name);
        listener_stalled = drained.ring_full && ShouldNotifyAtOnce();
      } else {
        gap_pending = true;
        gap_deadline = Clock::now() + std::chrono::milliseconds(idle);
      }
    }
    if (drained.gone || (hung_up && drained.received == 0)) {
      // Hand over what came before the hang-up, then stop without spinning.
      if (gap_pending) NotifyWaiting(port_name);
      SetLastError(kSerialReadFailed);
      running_.store(false);
      DTU_LOG("port %s lost: %s.", port_name.c_str(), GetLastErrorText());
      NotifyPortLost(kSerialReadFailed);
      return;
    }
  }
}
