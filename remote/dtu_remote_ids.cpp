#include "remote/dtu_remote_ids.h"

#include <cstdio>
#include <random>

namespace {

constexpr size_t kTopicMax = 255;

bool Qualifies(const DtuHardwareAddress &address) {
  if (address.size() < 6) return false;
  for (int i = 0; i < 6; ++i) {
    if (address[i] != 0) return true;
  }
  return false;
}

std::string FormatTopic(const char *format, const std::string &product_key,
                        const std::string &device_id) {
  char buffer[kTopicMax + 1];
  snprintf(buffer, sizeof buffer, format, product_key.c_str(), device_id.c_str());
  return buffer;
}

}  // namespace

std::string DtuClientIdFromAdapters(const std::vector<DtuHardwareAddress> &addresses,
                                    const std::tm &now) {
  char id[32];
  for (const DtuHardwareAddress &a : addresses) {
    if (!Qualifies(a)) continue;
    snprintf(id, sizeof id, "%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return id;
  }
  snprintf(id, sizeof id, "%04d%02d%02d%02d%02d%02d", now.tm_year + 1900, now.tm_mon + 1,
           now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
  return id;
}

std::string DtuRemoteClientId() {
  std::time_t t = std::time(nullptr);
  std::tm now{};
  localtime_r(&t, &now);
  return DtuClientIdFromAdapters(DtuListAdapterAddresses(), now);
}

std::string DtuInstanceClientId(const std::string &machine_id) {
  // Drawn once per process: the pid alone would repeat after a restart
  // while the broker still holds the old session.
  static const unsigned tag = [] {
    std::random_device device;
    return static_cast<unsigned>(device());
  }();
  char suffix[16];
  snprintf(suffix, sizeof suffix, "-%08x", tag);
  constexpr size_t kMaxLength = 23;  // what every MQTT 3.1 broker accepts
  const size_t keep = kMaxLength - (sizeof "-00000000" - 1);
  return machine_id.substr(0, keep) + suffix;
}

DtuRemoteTopics DtuRemoteDeviceTopics(const std::string &product_key,
                                      const std::string &device_id) {
  DtuRemoteTopics topics;
  topics.subscribe = FormatTopic("sys/%s/%s/user/update", product_key, device_id);
  topics.publish = FormatTopic("sys/%s/%s/user/get", product_key, device_id);
  return topics;
}
