// The platform simulator's fleet: N simulated remote DTUs in this process
// (sim/platform_fleet_device.h), a share of them faulty, spread over one or
// more brokers, with a few worker threads that run their answers and a
// housekeeping thread that brings lost links back.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "remote/dtu_mqtt_connection.h"
#include "sim/platform_fleet_device.h"
#include "sim/platform_rest_server.h"

constexpr int kPlatformFleetMaxDevices = 1000;

// The product's devices for a fleet of `count`: IMEIs 860000000000001 on,
// named as the demo names its first three, "dtu-0004" and on after them.
std::vector<PlatformSimDevice> PlatformFleetDeviceList(int count);

// Which devices (by index) of `count` are faulty for `percent` %: that share,
// rounded to the nearest device (at least one for a percent above 0), spread
// evenly over the fleet.
std::vector<int> PlatformFleetFaultyIndices(int count, int percent);

struct PlatformFleetConfig {
  std::string product_key;
  std::string product_secret;
  std::vector<PlatformSimDevice> devices;
  std::vector<DtuMqttBroker> brokers;  // device i prefers broker i mod n, then the next ones
  int faulty_percent = 0;
  PlatformFleetFaultSpec fault;
  int workers = 4;
};

class PlatformFleet {
 public:
  PlatformFleet() = default;
  ~PlatformFleet();
  PlatformFleet(const PlatformFleet &) = delete;
  PlatformFleet &operator=(const PlatformFleet &) = delete;

  // Starts every device; false with `error` naming the first that could not
  // reach its brokers (the ones started are stopped again).
  bool Start(const PlatformFleetConfig &config, std::string &error);
  void Stop();

  size_t Size() const { return devices_.size(); }
  PlatformFleetDevice &Device(size_t index) { return *devices_[index]; }
  // The broker list device `index` was given, its preferred broker first.
  std::vector<DtuMqttBroker> BrokersOf(size_t index) const;

 private:
  bool StartDevices(std::string &error);
  void Post(std::function<void()> work);
  void WorkerLoop();
  void HousekeepingLoop();

  std::vector<DtuMqttBroker> brokers_;
  std::vector<std::unique_ptr<PlatformFleetDevice>> devices_;
  std::mutex queue_lock_;
  std::condition_variable queue_changed_;   // the workers wait on it
  std::condition_variable stop_requested_;  // the housekeeping waits on it
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;  // guarded by queue_lock_
  std::vector<std::thread> workers_;
  std::thread housekeeping_;
};
