// One simulated remote device behind the platform's broker. On one side it
// holds the serial line of a simulated DTU (the line end a tool would open);
// on the other it subscribes to the device's "get" topic and publishes on its
// "update" topic. Every broker message is written to the line unchanged;
// every burst the device writes (bytes followed by a short quiet gap) is
// published as one message. When the broker drops the link, the device
// connects again by itself, 1 s after the loss and then at growing intervals
// up to 30 s, and subscribes anew: a broker restart heals on its own.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "remote/dtu_reconnect_backoff.h"

class MqttPeer;

class PlatformRemoteDtu {
 public:
  PlatformRemoteDtu();
  ~PlatformRemoteDtu();
  PlatformRemoteDtu(const PlatformRemoteDtu &) = delete;
  PlatformRemoteDtu &operator=(const PlatformRemoteDtu &) = delete;

  // Opens the serial line at line_path (raw mode), connects to the broker and
  // subscribes. Returns false with error_text on failure.
  bool Start(const std::string &broker_host, int broker_port, const std::string &product_key,
             const std::string &device_id, const std::string &line_path, std::string &error_text);
  void Stop();

  const std::string &DeviceId() const { return device_id_; }
  const std::string &UpdateTopic() const { return update_topic_; }
  const std::string &GetTopic() const { return get_topic_; }
  // Bytes moved each way so far (for the simulator's status line and tests).
  long long BytesToDevice() const { return to_device_.load(); }
  long long BytesFromDevice() const { return from_device_.load(); }
  // Times the link came back after the broker dropped it.
  int Reconnects() const { return reconnects_.load(); }

 private:
  void ReadLoop();
  void WriteToLine(const std::string &bytes);
  bool ConnectPeer(std::string &error_text);
  void KeepLinkUp();

  std::unique_ptr<MqttPeer> peer_;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<long long> to_device_{0};
  std::atomic<long long> from_device_{0};
  std::atomic<int> reconnects_{0};
  // Reader thread only: when to try the broker again after a loss.
  DtuReconnectBackoff backoff_;
  bool link_down_ = false;
  std::chrono::steady_clock::time_point next_attempt_;
  std::string broker_host_, client_id_;
  int broker_port_ = 0;
  int line_fd_ = -1;
  std::string device_id_, update_topic_, get_topic_;
};
