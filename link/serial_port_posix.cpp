#include "link/serial_port_posix.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <system_error>
#include <vector>

#include "base/dtu_log.h"
#include "link/serial_error.h"
#include "link/serial_exit_release.h"

namespace {

int OpenErrorCode(int error) {
  switch (error) {
    case ENOENT: case ENODEV: case ENXIO: case ENOTDIR: return kSerialNotExist;
    case EACCES: case EPERM: case EBUSY: return kSerialAccessDenied;
    default: return kSerialOpenFailed;
  }
}

}  // namespace

CSerialPortPosix::CSerialPortPosix() : ring_(std::make_unique<RingBuffer>(read_buffer_size_)) {}

CSerialPortPosix::~CSerialPortPosix() { Close(); }

bool CSerialPortPosix::Init(const std::string &port_name, int baud_rate, int parity, int data_bits,
                            int stop_bits, int flow_control, unsigned int read_buffer_size) {
  std::lock_guard<std::mutex> lock(port_mutex_);
  if (fd_.load() >= 0) {
    SetLastError(kSerialAlreadyOpen);
    return false;
  }
  port_name_ = port_name.substr(0, 255);
  line_ = DtuLineSettings{baud_rate, parity, data_bits, stop_bits, flow_control};
  read_buffer_size_ = read_buffer_size;
  ring_ = std::make_unique<RingBuffer>(read_buffer_size);
  return true;
}

// Opens and configures the device; returns the descriptor or -1 with the
// last error set. Called with the port lock held.
int CSerialPortPosix::OpenDevice() {
  open_errno_.store(0);
  if (port_name_.empty()) {
    SetLastError(kSerialNotExist);
    return -1;
  }
  int fd = ::open(port_name_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    open_errno_.store(errno);
    SetLastError(OpenErrorCode(errno));
    return -1;
  }
  have_original_line_ = tcgetattr(fd, &original_line_) == 0;
  int code = DtuTermiosLockExclusive(fd);
  if (code != 0) open_errno_.store(EBUSY);
  if (code == 0) code = DtuTermiosApply(fd, line_);
  if (code != 0) {
    if (code != kSerialAccessDenied) {  // the lock was ours: hand the port back untouched
      if (have_original_line_) tcsetattr(fd, TCSANOW, &original_line_);
      DtuTermiosUnlock(fd);
    }
    ::close(fd);
    SetLastError(code);
    return -1;
  }
  DtuTermiosPurge(fd, true, true);
  if (have_original_line_) DtuSerialRememberOpen(fd, original_line_);
  return fd;
}

bool CSerialPortPosix::Open() {
  std::lock_guard<std::mutex> lifecycle(lifecycle_mutex_);
  {
    std::lock_guard<std::mutex> lock(port_mutex_);
    if (fd_.load() >= 0) {
      SetLastError(kSerialAlreadyOpen);
      return false;
    }
    int fd = OpenDevice();
    if (fd < 0) return false;
    ring_->Clear();
    fd_.store(fd);
    if (GetIoMode() != 0) {
      SetLastError(kSerialSuccess);
      return true;
    }
  }
  if (!StartReader()) {
    int code = GetLastErrorCode();
    std::lock_guard<std::mutex> lock(port_mutex_);
    const int fd = fd_.exchange(-1);
    DtuSerialForget(fd);
    if (have_original_line_) tcsetattr(fd, TCSANOW, &original_line_);
    DtuTermiosUnlock(fd);
    ::close(fd);
    SetLastError(code);
    return false;
  }
  SetLastError(kSerialSuccess);
  return true;
}

bool CSerialPortPosix::StartReader() {
  if (::pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    SetLastError(kSerialInvalidParam);
    return false;
  }
  running_.store(true);
  try {
    reader_ = std::thread(&CSerialPortPosix::ReaderLoop, this, fd_.load(), wake_pipe_[0], GetPortName());
  } catch (const std::system_error &) {
    running_.store(false);
    ::close(wake_pipe_[0]);
    ::close(wake_pipe_[1]);
    wake_pipe_[0] = wake_pipe_[1] = -1;
    SetLastError(kSerialInnerError);
    return false;
  }
  return true;
}

void CSerialPortPosix::Close() {
  std::lock_guard<std::mutex> lifecycle(lifecycle_mutex_);
  if (fd_.load() < 0) return;
  running_.store(false);
  if (wake_pipe_[1] >= 0) {
    const char wake = 1;
    ssize_t ignored = ::write(wake_pipe_[1], &wake, 1);
    (void)ignored;
  }
  if (reader_.joinable()) {
    if (reader_.get_id() == std::this_thread::get_id()) reader_.detach();
    else reader_.join();
  }
  std::lock_guard<std::mutex> lock(port_mutex_);
  for (int &end : wake_pipe_) {
    if (end >= 0) ::close(end);
    end = -1;
  }
  const int fd = fd_.exchange(-1);
  DtuSerialForget(fd);
  DtuTermiosPurge(fd, true, true);
  // The next program finds the port as this one found it.
  if (have_original_line_) tcsetattr(fd, TCSANOW, &original_line_);
  DtuTermiosUnlock(fd);
  if (::close(fd) != 0 && errno != EINTR && errno != EIO) SetLastError(kSerialCloseFailed);
}

unsigned int CSerialPortPosix::GetPendingBytes() {
  std::lock_guard<std::mutex> lock(port_mutex_);
  if (fd_.load() < 0) return 0;
  if (GetIoMode() == 0) return ring_->Size();
  int waiting = 0;
  if (ioctl(fd_.load(), FIONREAD, &waiting) != 0 || waiting < 0) return 0;
  return static_cast<unsigned int>(waiting);
}

int CSerialPortPosix::Read(char *buffer, int size) {
  if (size <= 0) return 0;
  if (buffer == nullptr) {
    SetLastError(kSerialNullPointer);
    return -1;
  }
  std::lock_guard<std::mutex> lock(port_mutex_);
  if (fd_.load() < 0) {
    SetLastError(kSerialNotOpen);
    return -1;
  }
  if (GetIoMode() != 0) return SyncRead(buffer, size);
  return static_cast<int>(ring_->Read(buffer, static_cast<uint32_t>(size)));
}

// Synchronous mode: waits (at most 500 ms per wait) until `size` bytes came;
// a time-out returns the bytes read so far.
int CSerialPortPosix::SyncRead(char *buffer, int size) {
  int got = 0;
  while (got < size) {
    pollfd pfd{fd_.load(), POLLIN, 0};
    int ready = ::poll(&pfd, 1, 500);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    ssize_t n = ::read(pfd.fd, buffer + got, static_cast<size_t>(size - got));
    if (n > 0) {
      got += static_cast<int>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      continue;
    } else {
      SetLastError(kSerialReadFailed);
      return -1;
    }
  }
  return got;
}

int CSerialPortPosix::ReadAll(char *buffer) {
  unsigned int waiting = GetPendingBytes();
  return Read(buffer, static_cast<int>(waiting > INT_MAX ? INT_MAX : waiting));
}

int CSerialPortPosix::ReadLine(char *, int) {
  SetLastError(IsOpen() ? kSerialNotImplemented : kSerialNotOpen);
  return -1;
}

bool CSerialPortPosix::WaitWritable(int fd, int timeout_ms) {
  pollfd pfd{fd, POLLOUT, 0};
  for (;;) {
    int ready = ::poll(&pfd, 1, timeout_ms);
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0 && (pfd.revents & POLLOUT) != 0;
  }
}

int CSerialPortPosix::Write(const char *data, int size) {
  std::lock_guard<std::mutex> lock(port_mutex_);
  const int fd = fd_.load();
  if (fd < 0) {
    SetLastError(kSerialNotOpen);
    return -1;
  }
  if (data == nullptr || size < 0) {
    SetLastError(kSerialInvalidParam);
    return -1;
  }
  int written = 0;
  while (written < size) {
    ssize_t n = ::write(fd, data + written, static_cast<size_t>(size - written));
    if (n > 0) {
      written += static_cast<int>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN && WaitWritable(fd, 2000)) {
      continue;
    } else {
      SetLastError(kSerialWriteFailed);
      return -1;
    }
  }
  return written;
}

bool CSerialPortPosix::Flush() {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return fd_.load() >= 0 && tcdrain(fd_.load()) == 0;
}

bool CSerialPortPosix::FlushRx() {
  std::lock_guard<std::mutex> lock(port_mutex_);
  ring_->Clear();
  return fd_.load() >= 0 && DtuTermiosPurge(fd_.load(), true, false);
}

bool CSerialPortPosix::FlushTx() {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return fd_.load() >= 0 && DtuTermiosPurge(fd_.load(), false, true);
}
