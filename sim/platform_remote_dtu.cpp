#include "sim/platform_remote_dtu.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/serial_termios.h"
#include "remote/dtu_remote_ids.h"
#include "sim/platform_mqtt_peer.h"

namespace {

constexpr int kBurstMax = 4096;      // largest message published at once
constexpr int kQuietGapMs = 2;       // a burst ends after this long without bytes
constexpr int kStopPollMs = 50;      // how often the reader looks at the stop flag

}  // namespace

PlatformRemoteDtu::PlatformRemoteDtu() : peer_(std::make_unique<MqttPeer>()) {}

PlatformRemoteDtu::~PlatformRemoteDtu() { Stop(); }

bool PlatformRemoteDtu::Start(const std::string &broker_host, int broker_port,
                              const std::string &product_key, const std::string &device_id,
                              const std::string &line_path, std::string &error_text) {
  Stop();
  device_id_ = device_id;
  DtuRemoteTopics topics = DtuRemoteDeviceTopics(product_key, device_id);
  // The device publishes where the tool subscribes, and the other way round.
  update_topic_ = topics.subscribe;
  get_topic_ = topics.publish;

  line_fd_ = open(line_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line_fd_ < 0 || !DtuTermiosMakeRaw(line_fd_)) {
    error_text = "cannot open " + line_path + ": " + strerror(errno);
    Stop();
    return false;
  }
  broker_host_ = broker_host;
  broker_port_ = broker_port;
  client_id_ = "sim-" + device_id + "-" + std::to_string(getpid());
  peer_->SetHandler([this](const MqttPeer::Message &m) { WriteToLine(m.payload); });
  if (!ConnectPeer(error_text)) {
    Stop();
    return false;
  }
  link_down_ = false;
  backoff_.Reset();
  stop_.store(false);
  reader_ = std::thread(&PlatformRemoteDtu::ReadLoop, this);
  return true;
}

bool PlatformRemoteDtu::ConnectPeer(std::string &error_text) {
  if (!peer_->Connect(broker_host_, broker_port_, client_id_, error_text)) return false;
  // QoS 0 both ways: on loopback nothing is lost, and without acknowledgements
  // from this side Nagle's algorithm never holds an answer back for 40 ms.
  if (!peer_->Subscribe(get_topic_, 0)) {
    error_text = "cannot subscribe to " + get_topic_;
    peer_->Disconnect();
    return false;
  }
  return true;
}

// Reader thread: notices a lost broker link and brings it back in time.
void PlatformRemoteDtu::KeepLinkUp() {
  const auto now = std::chrono::steady_clock::now();
  if (!link_down_) {
    if (peer_->Connected()) return;
    link_down_ = true;
    const int delay = backoff_.NextDelayMs();
    next_attempt_ = now + std::chrono::milliseconds(delay);
    fprintf(stderr, "platform-sim: device %s lost the broker; reconnecting in %d s\n", device_id_.c_str(),
            delay / 1000);
    return;
  }
  if (now < next_attempt_) return;
  std::string error;
  if (ConnectPeer(error)) {
    link_down_ = false;
    backoff_.Reset();
    ++reconnects_;
    fprintf(stderr, "platform-sim: device %s is back on the broker\n", device_id_.c_str());
    return;
  }
  const int delay = backoff_.NextDelayMs();
  next_attempt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay);
  fprintf(stderr, "platform-sim: device %s: %s; next try in %d s\n", device_id_.c_str(), error.c_str(),
          delay / 1000);
}

void PlatformRemoteDtu::Stop() {
  stop_.store(true);
  if (reader_.joinable()) reader_.join();
  peer_->Disconnect();
  if (line_fd_ >= 0) close(line_fd_);
  line_fd_ = -1;
}

void PlatformRemoteDtu::WriteToLine(const std::string &bytes) {
  size_t done = 0;
  while (done < bytes.size() && line_fd_ >= 0) {
    ssize_t n = write(line_fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{line_fd_, POLLOUT, 0};
      poll(&p, 1, 10);
      continue;
    }
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
  to_device_ += static_cast<long long>(done);
}

// Collects what the device writes into bursts and publishes each burst once.
void PlatformRemoteDtu::ReadLoop() {
  std::string burst;
  char buffer[kBurstMax];
  while (!stop_.load()) {
    KeepLinkUp();
    pollfd p{line_fd_, POLLIN, 0};
    int ready = poll(&p, 1, burst.empty() ? kStopPollMs : kQuietGapMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0 && (p.revents & POLLIN)) {
      ssize_t n = read(line_fd_, buffer, sizeof buffer - burst.size());
      if (n > 0) burst.append(buffer, static_cast<size_t>(n));
      if (burst.size() < static_cast<size_t>(kBurstMax)) continue;
    } else if (ready > 0) {
      // The device side hung up: wait for it without spinning.
      usleep(kStopPollMs * 1000);
    }
    if (burst.empty()) continue;
    from_device_ += static_cast<long long>(burst.size());
    peer_->Publish(update_topic_, burst, 0);
    burst.clear();
  }
}
