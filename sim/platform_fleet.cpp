#include "sim/platform_fleet.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kHousekeepingMs = 100;
constexpr size_t kStartThreads = 16;
constexpr long long kFirstImei = 860000000000001LL;
const char *const kDemoNames[] = {"pump-house", "tank-level", "meter-room"};

// Every device holds a socket: a fleet of a thousand needs more than the
// usual 1024 descriptors.
void RaiseDescriptorLimit(size_t devices) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  const rlim_t wanted = static_cast<rlim_t>(devices) * 2 + 256;
  if (limit.rlim_cur >= wanted) return;
  limit.rlim_cur = limit.rlim_max == RLIM_INFINITY || limit.rlim_max > wanted ? wanted : limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace

std::vector<PlatformSimDevice> PlatformFleetDeviceList(int count) {
  std::vector<PlatformSimDevice> devices;
  for (int i = 0; i < count; ++i) {
    char name[16];
    if (i < 3) std::snprintf(name, sizeof name, "%s", kDemoNames[i]);
    else std::snprintf(name, sizeof name, "dtu-%04d", i + 1);
    devices.push_back({std::to_string(kFirstImei + i), name});
  }
  return devices;
}

std::vector<int> PlatformFleetFaultyIndices(int count, int percent) {
  std::vector<int> faulty;
  if (count <= 0 || percent <= 0) return faulty;
  int share = static_cast<int>(std::lround(count * percent / 100.0));
  if (share < 1) share = 1;
  if (share > count) share = count;
  // The middle of each of `share` equal stretches of the fleet.
  for (int k = 0; k < share; ++k) faulty.push_back(static_cast<int>((2LL * k + 1) * count / (2LL * share)));
  return faulty;
}

void PlatformWorkPool::Start(int threads) {
  Stop();
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = false;
  }
  for (int i = 0; i < threads; ++i) threads_.emplace_back(&PlatformWorkPool::Loop, this);
}

void PlatformWorkPool::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
    queue_.clear();
  }
  changed_.notify_all();
  for (std::thread &t : threads_) t.join();
  threads_.clear();
}

void PlatformWorkPool::Post(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    queue_.push_back(std::move(work));
  }
  changed_.notify_one();
}

void PlatformWorkPool::Loop() {
  for (;;) {
    std::function<void()> work;
    {
      std::unique_lock<std::mutex> guard(lock_);
      changed_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
  }
}

PlatformFleet::~PlatformFleet() { Stop(); }

std::vector<DtuMqttBroker> PlatformFleet::BrokersOf(size_t index) const {
  std::vector<DtuMqttBroker> list;
  for (size_t k = 0; k < brokers_.size(); ++k) list.push_back(brokers_[(index + k) % brokers_.size()]);
  return list;
}

bool PlatformFleet::Start(const PlatformFleetConfig &config, std::string &error) {
  Stop();
  brokers_ = config.brokers;
  if (brokers_.empty()) {
    error = "no broker for the fleet";
    return false;
  }
  RaiseDescriptorLimit(config.devices.size());
  {
    std::lock_guard<std::mutex> guard(stop_lock_);
    stopping_ = false;
  }
  workers_.Start(config.workers);
  connectors_.Start(config.connectors);
  const std::vector<int> faulty = PlatformFleetFaultyIndices(static_cast<int>(config.devices.size()),
                                                             config.faulty_percent);
  size_t next_faulty = 0;
  for (size_t i = 0; i < config.devices.size(); ++i) {
    PlatformFleetDeviceConfig device;
    device.product_key = config.product_key;
    device.product_secret = config.product_secret;
    device.imei = config.devices[i].imei;
    device.index = static_cast<int>(i);
    if (next_faulty < faulty.size() && faulty[next_faulty] == static_cast<int>(i)) {
      device.fault = config.fault;
      ++next_faulty;
    }
    devices_.push_back(std::make_unique<PlatformFleetDevice>(
        device, [this](std::function<void()> work) { workers_.Post(std::move(work)); },
        [this](std::function<void()> work) { connectors_.Post(std::move(work)); }));
  }
  if (!StartDevices(error)) {
    Stop();
    return false;
  }
  housekeeping_ = std::thread(&PlatformFleet::HousekeepingLoop, this);
  return true;
}

// Each connect waits for its broker's answer: a few threads bring the
// devices up side by side.
bool PlatformFleet::StartDevices(std::string &error) {
  std::mutex lock;
  std::string first_error;
  std::vector<std::thread> starters;
  const size_t count = std::min(kStartThreads, devices_.size());
  for (size_t t = 0; t < count; ++t) {
    starters.emplace_back([&, t] {
      for (size_t i = t; i < devices_.size(); i += count) {
        std::string why;
        if (devices_[i]->Start(BrokersOf(i), why)) continue;
        std::lock_guard<std::mutex> guard(lock);
        if (first_error.empty()) first_error = "device " + devices_[i]->Imei() + ": " + why;
        return;
      }
    });
  }
  for (std::thread &t : starters) t.join();
  error = first_error;
  return first_error.empty();
}

void PlatformFleet::Stop() {
  {
    std::lock_guard<std::mutex> guard(stop_lock_);
    stopping_ = true;
  }
  stop_requested_.notify_all();
  if (housekeeping_.joinable()) housekeeping_.join();
  workers_.Stop();
  connectors_.Stop();
  // The threads are gone: nothing of a device runs while it stops.
  for (auto &device : devices_) device->Stop();
  devices_.clear();
}

void PlatformFleet::HousekeepingLoop() {
  for (;;) {
    {
      std::unique_lock<std::mutex> guard(stop_lock_);
      if (stop_requested_.wait_for(guard, std::chrono::milliseconds(kHousekeepingMs), [this] { return stopping_; })) {
        return;
      }
    }
    for (auto &device : devices_) device->KeepUp();
  }
}
