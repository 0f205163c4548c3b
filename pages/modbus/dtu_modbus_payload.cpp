#include "pages/modbus/dtu_modbus_payload.h"
#include "pages/kit/dtu_typed_number.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kSlaveCfgMin = 26;
constexpr size_t kSlaveCfgMax = 28;
constexpr size_t kRuleHeaderLength = 8;
constexpr size_t kRuleTagAt = 12;
constexpr size_t kRuleTailLength = 8 + 2 + 2 + 2 + 8;

// The decimal number of `width` characters at `offset`, or -1.
long long DigitsAt(const std::string &text, size_t offset, size_t width) {
  if (text.size() < offset + width) return -1;
  long long value = 0;
  for (size_t i = offset; i < offset + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::string WithoutLeadingZeros(const std::string &text) {
  size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? std::string("0") : text.substr(first);
}

std::string Padded(long long value, int width) {
  char text[32];
  std::snprintf(text, sizeof(text), "%0*lld", width, value);
  return text;
}

}  // namespace

int DtuModbusCycleWidth(long long cycle) { return cycle < 100 ? 2 : cycle < 1000 ? 3 : 4; }

long long DtuModbusWidthMax(int width) {
  long long max = 0;
  for (int i = 0; i < width; ++i) max = max * 10 + 9;
  return max;
}

bool DtuModbusFitsWidth(long long value, int width) { return value >= 0 && value <= DtuModbusWidthMax(width); }

std::optional<std::string> DtuModbusBuildSlaveCfg(const DtuModbusSlaveCfg &cfg) {
  const int cycle_width = DtuModbusCycleWidth(cfg.cycle);
  if (cfg.channel < 1 || cfg.channel > kModbusChannelCount || !DtuModbusFitsWidth(cfg.slave, kModbusSlaveWidth) ||
      !DtuModbusFitsWidth(cfg.function, kModbusFunctionWidth) ||
      !DtuModbusFitsWidth(cfg.address, kModbusAddressWidth) || !DtuModbusFitsWidth(cfg.count, kModbusCountWidth) ||
      !DtuModbusFitsWidth(cfg.cycle, cycle_width)) {
    return std::nullopt;
  }
  return "00" + Padded(cfg.channel, 2) + Padded(cfg.slave, kModbusSlaveWidth) +
         Padded(cfg.function, kModbusFunctionWidth) + Padded(cfg.address, kModbusAddressWidth) +
         Padded(cfg.count, kModbusCountWidth) + Padded(cfg.cycle, cycle_width);
}

DtuModbusSlaveCfgAnswer DtuModbusParseSlaveCfg(const std::string &value) {
  DtuModbusSlaveCfgAnswer answer;
  const std::string text = DtuTypedTrim(value);
  answer.length = static_cast<int>(text.size());
  if (text.empty()) return answer;  // kEmpty
  if (text.size() < kSlaveCfgMin || text.size() > kSlaveCfgMax) {
    answer.status = DtuModbusSlaveCfgAnswer::kBadLength;
    return answer;
  }
  if (!DtuTypedAllDigits(text)) {
    answer.status = DtuModbusSlaveCfgAnswer::kNotDigits;
    return answer;
  }
  answer.channel = static_cast<int>(DigitsAt(text, 2, 2));
  if (answer.channel == 0) answer.channel = 1;
  if (answer.channel > kModbusChannelCount) {
    answer.status = DtuModbusSlaveCfgAnswer::kBadChannel;
    return answer;
  }
  answer.slave = WithoutLeadingZeros(text.substr(4, 4));
  answer.function = WithoutLeadingZeros(text.substr(8, 4));
  answer.address = WithoutLeadingZeros(text.substr(12, 8));
  answer.count = WithoutLeadingZeros(text.substr(20, 4));
  answer.cycle = WithoutLeadingZeros(text.substr(24, 4));
  answer.status = DtuModbusSlaveCfgAnswer::kOk;
  return answer;
}

std::string DtuModbusChannelArgument(int channel) { return Padded(channel, 4); }

int DtuModbusDataTypeSize(int data_type) {
  static const int kSizes[] = {1, 1, 2, 2, 4, 4, 4};
  return data_type >= 0 && data_type < 7 ? kSizes[data_type] : 0;
}

std::string DtuModbusRuleHeaderArgument(int channel) { return "00" + Padded(channel, 2) + "FF"; }

std::string DtuModbusRuleParamArgument(int channel, int param) {
  return "00" + Padded(channel, 2) + "00" + Padded(param, 2);
}

std::string DtuModbusBuildTransparentRule(int channel) { return "00" + Padded(channel, 2) + "00"; }

std::optional<std::string> DtuModbusBuildRuleParam(const DtuModbusRuleParam &p) {
  for (int code : {p.channel, p.rule, p.count, p.param, p.data_type, p.byte_order, p.convert}) {
    if (!DtuModbusFitsWidth(code, 2)) return std::nullopt;
  }
  if (!DtuModbusFitsWidth(p.address, kModbusRuleNumberWidth) ||
      !DtuModbusFitsWidth(p.multiplier, kModbusRuleNumberWidth)) {
    return std::nullopt;
  }
  const std::string tag = p.tag.substr(0, kModbusTagMax);
  return "00" + Padded(p.channel, 2) + Padded(p.rule, 2) + Padded(p.count, 2) + Padded(p.param, 2) +
         Padded(static_cast<long long>(tag.size()), 2) + tag + Padded(p.address, 8) + Padded(p.data_type, 2) +
         Padded(p.byte_order, 2) + Padded(p.convert, 2) + Padded(p.multiplier, 8);
}

std::optional<DtuModbusRuleHeader> DtuModbusParseRuleHeader(const std::string &value) {
  const std::string text = DtuTypedTrim(value);
  DtuModbusRuleHeader header;
  header.channel = static_cast<int>(DigitsAt(text, 2, 2));
  header.rule = static_cast<int>(DigitsAt(text, 4, 2));
  if (header.channel < 0 || header.rule < 0) return std::nullopt;
  if (header.rule == 0) return header;
  if (text.size() < kRuleHeaderLength) return std::nullopt;
  header.count = static_cast<int>(DigitsAt(text, 6, 2));
  if (header.count < 0 || header.count > kModbusRuleParams) return std::nullopt;
  return header;
}

std::optional<DtuModbusRuleParam> DtuModbusParseRuleParam(const std::string &value) {
  const std::string text = DtuTypedTrim(value);
  DtuModbusRuleParam p;
  p.channel = static_cast<int>(DigitsAt(text, 2, 2));
  p.rule = static_cast<int>(DigitsAt(text, 4, 2));
  if (p.channel < 0 || p.rule < 0) return std::nullopt;
  if (p.rule == 0) return p;
  p.count = static_cast<int>(DigitsAt(text, 6, 2));
  p.param = static_cast<int>(DigitsAt(text, 8, 2));
  const long long tag_length = DigitsAt(text, 10, 2);
  if (p.count < 0 || p.param < 0 || tag_length < 0) return std::nullopt;
  const size_t tail = kRuleTagAt + static_cast<size_t>(tag_length);
  if (text.size() < tail + kRuleTailLength) return std::nullopt;
  p.tag = text.substr(kRuleTagAt, static_cast<size_t>(tag_length));
  p.address = DigitsAt(text, tail, 8);
  p.data_type = static_cast<int>(DigitsAt(text, tail + 8, 2));
  p.byte_order = static_cast<int>(DigitsAt(text, tail + 10, 2));
  p.convert = static_cast<int>(DigitsAt(text, tail + 12, 2));
  p.multiplier = DigitsAt(text, tail + 14, 8);
  if (p.address < 0 || p.data_type < 0 || p.byte_order < 0 || p.convert < 0 || p.multiplier < 0) {
    return std::nullopt;
  }
  return p;
}
