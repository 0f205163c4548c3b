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
  int workers = 4;     // answer the devices' lines
  int connectors = 8;  // bring lost links back (a connect may wait long for a broker)
};

// A few threads that run posted work in order of posting.
class PlatformWorkPool {
 public:
  ~PlatformWorkPool() { Stop(); }
  void Start(int threads);
  // Ends the threads; work not yet begun is dropped.
  void Stop();
  void Post(std::function<void()> work);

 private:
  void Loop();
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
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
  void HousekeepingLoop();

  std::vector<DtuMqttBroker> brokers_;
  std::vector<std::unique_ptr<PlatformFleetDevice>> devices_;
  PlatformWorkPool workers_;
  PlatformWorkPool connectors_;
  std::mutex stop_lock_;
  std::condition_variable stop_requested_;  // the housekeeping waits on it
  bool stopping_ = false;                   // guarded by stop_lock_
  std::thread housekeeping_;
};
