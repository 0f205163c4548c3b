// A TCP relay on loopback that holds every byte for a fixed time in each
// direction: puts a distant broker between a client and a local mosquitto,
// so timings that depend on protocol round trips show as they would over a
// wide-area link. Header-only, for the timing programs.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <list>
#include <string>
#include <thread>
#include <vector>

class LatencyProxy {
 public:
  LatencyProxy(int target_port, int one_way_delay_ms)
      : target_port_(target_port), delay_(one_way_delay_ms) {}
  ~LatencyProxy() { Stop(); }

  // Listens on a free loopback port; returns it (0 on failure).
  int Start() {
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    if (bind(listen_fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        listen(listen_fd_, 8) != 0 ||
        getsockname(listen_fd_, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
      return 0;
    }
    accept_thread_ = std::thread([this] { AcceptLoop(); });
    return ntohs(addr.sin_port);
  }

  void Stop() {
    stop_.store(true);
    if (accept_thread_.joinable()) accept_thread_.join();
    for (std::thread &t : pumps_) t.join();
    pumps_.clear();
    for (int fd : fds_) close(fd);
    fds_.clear();
    if (listen_fd_ >= 0) close(listen_fd_);
    listen_fd_ = -1;
  }

 private:
  using Clock = std::chrono::steady_clock;
  struct Held {
    Clock::time_point due;
    std::string bytes;
  };

  static sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    return addr;
  }

  void AcceptLoop() {
    while (!stop_.load()) {
      pollfd p{listen_fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in addr = Loopback(target_port_);
      if (connect(server, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close(client);
        close(server);
        continue;
      }
      int one = 1;
      setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      // Each direction has its own pump; the sockets are closed at Stop().
      fds_.push_back(client);
      fds_.push_back(server);
      pumps_.emplace_back([this, client, server] { Pump(client, server); });
      pumps_.emplace_back([this, client, server] { Pump(server, client); });
    }
  }

  // Moves bytes from `from` to `to`, each byte `delay_` ms after it arrived.
  void Pump(int from, int to) {
    std::deque<Held> held;
    bool open = true;
    char buffer[16384];
    while (!stop_.load() && (open || !held.empty())) {
      int wait_ms = 20;
      if (!held.empty()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(held.front().due -
                                                                          Clock::now());
        wait_ms = static_cast<int>(std::max<long long>(0, std::min<long long>(20, left.count())));
      }
      pollfd p{from, static_cast<short>(open ? POLLIN : 0), 0};
      if (poll(&p, 1, wait_ms) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
        ssize_t n = read(from, buffer, sizeof buffer);
        if (n > 0) held.push_back({Clock::now() + std::chrono::milliseconds(delay_),
                                   std::string(buffer, static_cast<size_t>(n))});
        else open = false;
      }
      while (!held.empty() && held.front().due <= Clock::now()) {
        const std::string &b = held.front().bytes;
        if (write(to, b.data(), b.size()) < 0) open = false;
        held.pop_front();
      }
    }
    shutdown(to, SHUT_WR);
  }

  int target_port_;
  int delay_;
  int listen_fd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread accept_thread_;
  std::list<std::thread> pumps_;
  std::vector<int> fds_;
};
