// Payload of `modbus-cache-slave-cfg` (one cache proxy channel, 24 decimal
// digits) and the checks its fields must pass, as free functions on values.
#pragma once

#include <optional>
#include <string>

constexpr int kModbusCacheChannels = 6;
constexpr int kModbusCachePayloadLength = 24;

struct DtuModbusCacheChannel {
  int channel = 1;  // 1..6
  long long slave = 0;
  int function = 3;  // 1..4
  long long start = 0;
  long long quantity = 0;
  long long cycle = 0;

  bool operator==(const DtuModbusCacheChannel &o) const {
    return channel == o.channel && slave == o.slave && function == o.function && start == o.start &&
           quantity == o.quantity && cycle == o.cycle;
  }
};

// The fields of a channel in the order the page shows them.
enum class DtuModbusCacheField { kSlave, kStart, kQuantity, kCycle };

struct DtuModbusCacheRange {
  long long low;
  long long high;
};
// The range of a field; the quantity's depends on the function code
// (1..2000 for 01 and 02, 1..125 for 03 and 04).
DtuModbusCacheRange DtuModbusCacheFieldRange(DtuModbusCacheField field, int function);
long long DtuModbusCacheFieldValue(const DtuModbusCacheChannel &channel, DtuModbusCacheField field);

// Every field in range, function code 1..4, start + quantity - 1 <= 65535.
bool DtuModbusCacheChannelValid(const DtuModbusCacheChannel &channel);
// Same slave, function, start and quantity (the cycle does not count).
bool DtuModbusCacheSameRequest(const DtuModbusCacheChannel &a, const DtuModbusCacheChannel &b);

// "%02d%04d%02d%08d%04d%04d"; nothing for a channel that is not valid (its
// fields could not keep their widths).
std::optional<std::string> DtuModbusBuildCacheChannel(const DtuModbusCacheChannel &channel);
// Exactly 24 digits with a channel of 1..6; the field values are not checked.
std::optional<DtuModbusCacheChannel> DtuModbusParseCacheChannel(const std::string &value);

// The value of a cache answer: trimmed, and only the part after the first
// ":" when there is one.
std::string DtuModbusCacheAnswerValue(const char *value);
