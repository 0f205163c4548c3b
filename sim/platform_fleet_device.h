// One simulated remote DTU of the platform's fleet, in-process: a whole
// simulated device (sim/dtu_sim_device.h: its own settings store, its line
// handling, faults and personality) straight behind its MQTT topics, with no
// pseudo-terminal. It listens on the device's "get" topic, answers every
// line it receives with one message on its "update" topic (QoS 1; the lines
// come in at QoS 0, see the .cpp), on a clean session, and connects again by itself when its broker goes
// (to the next broker of its list).
//
// Its fault, when it has one (platform-sim --faulty/--fault):
//   silent           never answers;
//   error-key KEY    answers every line of KEY with ERROR;
//   wrong-readback   reads back another Server (mqtt-addr) than was set;
//   drop-connection  leaves the broker when its 3rd set line comes, without
//                    answering it, and is back after a short while (once).
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "remote/dtu_mqtt_connection.h"
#include "remote/dtu_reconnect_backoff.h"
#include "sim/dtu_sim_device.h"

enum class PlatformFleetFault { kNone, kSilent, kErrorKey, kWrongReadback, kDropConnection };

struct PlatformFleetFaultSpec {
  PlatformFleetFault kind = PlatformFleetFault::kNone;
  std::string key;  // error-key: the key answered with ERROR
};

// "silent", "error-key mqtt-addr", ...
std::string PlatformFleetFaultText(const PlatformFleetFaultSpec &fault);

// What a wrong-readback device reads back as its Server.
extern const char kPlatformFleetWrongServer[];

struct PlatformFleetDeviceConfig {
  std::string product_key;     // its topics; its MQTT user name
  std::string product_secret;  // its MQTT password
  std::string imei;
  int index = 0;  // its place in the fleet (from 0): its own settings differ by it
  PlatformFleetFaultSpec fault;
};

class PlatformFleetDevice {
 public:
  // Runs `work` on one of the fleet's worker threads.
  using Post = std::function<void(std::function<void()> work)>;

  // `post` runs the device's answers, `connect` its reconnects: a connect
  // may wait long for a broker, and must not hold up other devices' answers.
  PlatformFleetDevice(const PlatformFleetDeviceConfig &config, Post post, Post connect);
  ~PlatformFleetDevice();
  PlatformFleetDevice(const PlatformFleetDevice &) = delete;
  PlatformFleetDevice &operator=(const PlatformFleetDevice &) = delete;

  // Connects to the first broker of `brokers` that accepts, and subscribes.
  bool Start(const std::vector<DtuMqttBroker> &brokers, std::string &error);
  void Stop();

  // Called by the fleet's housekeeping: when the link is down and its time
  // has come, connects again (on the device's own work).
  void KeepUp();

  const std::string &Imei() const { return imei_; }
  PlatformFleetFaultSpec Fault() const;
  // A new fault (kNone: the device is repaired), from its next line on.
  void SetFault(const PlatformFleetFaultSpec &fault);
  DtuSimStore &Store() { return device_.Store(); }
  bool Connected() const { return connection_.Connected(); }
  int LinesReceived() const { return lines_.load(); }
  // Times it came back to a broker after losing one.
  int Reconnects() const { return reconnects_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  // The device's own work runs one piece at a time, in order, on the
  // fleet's workers: received bytes, connecting again.
  void Run(std::function<void()> work);
  void Drain();
  void OnMessage(const std::string &topic, const char *payload, int length);
  void OnLost(const std::string &cause);
  void Take(const std::string &bytes);
  void HandleLine(const std::string &line);
  bool Connect(std::string &error);
  void Reconnect();
  void Leave(std::chrono::milliseconds away);

  const std::string imei_;
  const std::string get_topic_;     // the tool publishes here
  const std::string update_topic_;  // the device answers here
  const std::string username_, password_;
  const std::string client_id_;  // with the connection's number after it
  int connections_ = 0;
  const Post post_;
  const Post connect_;
  mutable std::mutex fault_lock_;  // the two below
  PlatformFleetFaultSpec fault_;
  DtuSimOptions options_;          // what the fault makes of the device's personality
  std::vector<DtuMqttBroker> brokers_;  // set by Start

  // The device's own work: everything below it runs there only (the
  // connection is also connected again on the connector, while the work
  // finds it down and publishes nothing).
  std::mutex work_lock_;
  std::vector<std::function<void()>> work_;
  bool scheduled_ = false;  // a Drain is posted or running
  DtuSimDevice device_;
  DtuMqttConnection connection_;
  std::string pending_;           // a line not yet ended
  int sets_seen_ = 0;
  bool dropped_ = false;

  std::atomic<int> lines_{0};
  std::atomic<int> reconnects_{0};
  std::mutex link_lock_;  // the three below
  bool stopping_ = false;
  bool reconnect_due_ = false;  // down; connect again at back_at_
  Clock::time_point back_at_{};
  DtuReconnectBackoff backoff_;
};
