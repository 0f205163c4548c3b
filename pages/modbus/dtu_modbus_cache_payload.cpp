#include "pages/modbus/dtu_modbus_cache_payload.h"

#include <cstdio>

#include "pages/modbus/dtu_modbus_payload.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

constexpr long long kLastRegister = 65535;

long long Digits(const std::string &text, size_t offset, size_t width) {
  long long value = 0;
  for (size_t i = offset; i < offset + width; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

DtuModbusCacheRange DtuModbusCacheFieldRange(DtuModbusCacheField field, int function) {
  switch (field) {
    case DtuModbusCacheField::kSlave: return {1, 247};
    case DtuModbusCacheField::kStart: return {0, kLastRegister};
    case DtuModbusCacheField::kQuantity: return {1, function == 1 || function == 2 ? 2000 : 125};
    case DtuModbusCacheField::kCycle: return {1, 3600};
  }
  return {0, 0};
}

long long DtuModbusCacheFieldValue(const DtuModbusCacheChannel &channel, DtuModbusCacheField field) {
  switch (field) {
    case DtuModbusCacheField::kSlave: return channel.slave;
    case DtuModbusCacheField::kStart: return channel.start;
    case DtuModbusCacheField::kQuantity: return channel.quantity;
    case DtuModbusCacheField::kCycle: return channel.cycle;
  }
  return 0;
}

bool DtuModbusCacheChannelValid(const DtuModbusCacheChannel &channel) {
  if (channel.channel < 1 || channel.channel > kModbusCacheChannels) return false;
  if (channel.function < 1 || channel.function > 4) return false;
  for (DtuModbusCacheField field : {DtuModbusCacheField::kSlave, DtuModbusCacheField::kStart,
                                    DtuModbusCacheField::kQuantity, DtuModbusCacheField::kCycle}) {
    const DtuModbusCacheRange range = DtuModbusCacheFieldRange(field, channel.function);
    const long long value = DtuModbusCacheFieldValue(channel, field);
    if (value < range.low || value > range.high) return false;
  }
  return channel.start + channel.quantity - 1 <= kLastRegister;
}

bool DtuModbusCacheSameRequest(const DtuModbusCacheChannel &a, const DtuModbusCacheChannel &b) {
  return a.slave == b.slave && a.function == b.function && a.start == b.start && a.quantity == b.quantity;
}

std::optional<std::string> DtuModbusBuildCacheChannel(const DtuModbusCacheChannel &c) {
  if (!DtuModbusCacheChannelValid(c)) return std::nullopt;
  char text[kModbusCachePayloadLength + 8];
  std::snprintf(text, sizeof(text), "%02d%04lld%02d%08lld%04lld%04lld", c.channel, c.slave, c.function, c.start,
                c.quantity, c.cycle);
  return std::string(text);
}

std::optional<DtuModbusCacheChannel> DtuModbusParseCacheChannel(const std::string &value) {
  if (value.size() != static_cast<size_t>(kModbusCachePayloadLength) || !DtuTypedAllDigits(value)) {
    return std::nullopt;
  }
  DtuModbusCacheChannel c;
  c.channel = static_cast<int>(Digits(value, 0, 2));
  if (c.channel < 1 || c.channel > kModbusCacheChannels) return std::nullopt;
  c.slave = Digits(value, 2, 4);
  c.function = static_cast<int>(Digits(value, 6, 2));
  c.start = Digits(value, 8, 8);
  c.quantity = Digits(value, 16, 4);
  c.cycle = Digits(value, 20, 4);
  return c;
}

std::string DtuModbusCacheAnswerValue(const char *value) {
  std::string text = DtuTypedTrim(value ? value : "");
  const size_t colon = text.find(':');
  if (colon != std::string::npos) text = DtuTypedTrim(text.substr(colon + 1));
  return text;
}
