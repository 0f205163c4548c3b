// Names the remote bridge uses on the platform's broker: the MQTT client
// identifier of this machine and a device's two topics.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "remote/dtu_adapter_address.h"

// The first address at least 6 bytes long whose first 6 bytes are not all
// zero, as 12 upper-case hex digits; when none qualifies, the local time
// `now` as the 14 digits "%04d%02d%02d%02d%02d%02d".
std::string DtuClientIdFromAdapters(const std::vector<DtuHardwareAddress> &addresses,
                                    const std::tm &now);

// The identifier for this machine: adapter list and local clock.
std::string DtuRemoteClientId();

// `machine_id` (as above) with a tag of this process: "<id>-<8 hex digits>",
// at most 23 characters. Two tool instances on one machine never share an
// MQTT client identifier (the broker would throw the first off when the
// second connects); within one process it stays the same, so a reconnect
// takes up its own session again.
std::string DtuInstanceClientId(const std::string &machine_id);

// A device's topics, filled with the product key and the device id (IMEI)
// and cut to 255 characters: the link subscribes to `subscribe` (the device
// publishes there) and publishes to `publish`.
struct DtuRemoteTopics {
  std::string subscribe;  // "sys/<productKey>/<device>/user/update"
  std::string publish;    // "sys/<productKey>/<device>/user/get"
};
DtuRemoteTopics DtuRemoteDeviceTopics(const std::string &product_key, const std::string &device_id);
