// TCP side of the HTTP client (see http_socket.h).
#include "remote/http_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxHostLength = 255;  // longer names are not host names

// The first IPv4 address of `host`: a dotted address as it is, else the
// system's look-up restricted to IPv4.
bool ResolveIpv4(const char *host, in_addr *out) {
  if (std::strlen(host) > kMaxHostLength) return false;
  if (inet_pton(AF_INET, host, out) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list) return false;
  bool found = false;
  for (addrinfo *a = list; a && !found; a = a->ai_next) {
    if (a->ai_family == AF_INET) {
      *out = reinterpret_cast<sockaddr_in *>(a->ai_addr)->sin_addr;
      found = true;
    }
  }
  freeaddrinfo(list);
  return found;
}

int PendingError(int fd) {
  int error = 0;
  socklen_t len = sizeof(error);
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
  return error;
}

int FinishConnect(int fd, const sockaddr_in &addr, int timeout_ms) {
  int rc;
  do {
    rc = connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof(addr));
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) return 0;
  if (errno != EINPROGRESS && errno != EWOULDBLOCK) return 13;
  return http_socket_wait(fd, true, timeout_ms) == 0 ? 0 : 14;
}

}  // namespace

int64_t http_now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int http_wait_ms(int timeout_ms, int64_t deadline_ms) {
  if (deadline_ms == 0) return timeout_ms;
  const int64_t left = deadline_ms - http_now_ms();
  if (left <= 0) return -1;
  return left < timeout_ms ? static_cast<int>(left) : timeout_ms;
}

int http_socket_connect(const char *host, int port, int timeout_ms, int *fd_out) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (!host || !ResolveIpv4(host, &addr.sin_addr)) return 9;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 10;
  linger lin{1, 0};  // closing resets the connection
  if (setsockopt(fd, SOL_SOCKET, SO_LINGER, &lin, sizeof(lin)) != 0) {
    close(fd);
    return 11;
  }
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
    close(fd);
    return 12;
  }
  int result = FinishConnect(fd, addr, timeout_ms);
  if (result != 0) {
    close(fd);
    return result;
  }
  *fd_out = fd;
  return 0;
}

int http_socket_wait(int fd, bool for_write, int timeout_ms) {
  int64_t deadline = http_now_ms() + timeout_ms;
  pollfd pfd{fd, static_cast<short>(for_write ? POLLOUT : POLLIN), 0};
  for (;;) {
    int64_t left = deadline - http_now_ms();
    if (left < 0) left = 0;
    int rc = poll(&pfd, 1, static_cast<int>(left));
    if (rc > 0) return PendingError(fd) == 0 ? 0 : -1;
    if (rc == 0) return -1;
    if (errno != EINTR) return -1;
  }
}

long http_socket_read(int fd, void *buf, size_t length, int timeout_ms, bool wait_all, int64_t deadline_ms) {
  size_t done = 0;
  char *out = static_cast<char *>(buf);
  while (done < length) {
    ssize_t n = recv(fd, out + done, length - done, 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
      if (!wait_all) break;
    } else if (n == 0) {
      break;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      const int wait = http_wait_ms(timeout_ms, deadline_ms);
      if (wait < 0 || http_socket_wait(fd, false, wait) != 0) return -1;
    } else {
      return -1;
    }
  }
  return static_cast<long>(done);
}

int http_socket_write_all(int fd, const void *buf, size_t length, int timeout_ms, int64_t deadline_ms) {
  size_t done = 0;
  const char *in = static_cast<const char *>(buf);
  while (done < length) {
    ssize_t n = send(fd, in + done, length - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      const int wait = http_wait_ms(timeout_ms, deadline_ms);
      if (wait < 0 || http_socket_wait(fd, true, wait) != 0) return -1;
    } else {
      return -1;
    }
  }
  return 0;
}

void http_socket_close(int fd) {
  if (fd >= 0) close(fd);
}
