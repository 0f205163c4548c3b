// Payloads of the Modbus polling keys: `modbus-slave-cfg` (one polling
// channel) and `modbus-slave-rule` (the forwarding rule of a channel: its
// header and its parameters). Free functions on plain values; the page owns
// the messages.
#pragma once

#include <optional>
#include <string>

// Fixed decimal widths of the polling channel payload.
constexpr int kModbusSlaveWidth = 4;
constexpr int kModbusFunctionWidth = 4;
constexpr int kModbusAddressWidth = 8;
constexpr int kModbusCountWidth = 4;
constexpr int kModbusChannelCount = 6;
constexpr int kModbusRuleParams = 6;
constexpr int kModbusTagMax = 31;  // tag characters that go on the wire
constexpr int kModbusRuleNumberWidth = 8;

// One polling channel as the page sends it.
struct DtuModbusSlaveCfg {
  int channel = 1;  // 1..6
  long long slave = 0;
  long long function = 0;
  long long address = 0;
  long long count = 0;
  long long cycle = 0;
};

// Digits of the cycle field: 2 below 100, 3 for 100..999, 4 from 1000.
int DtuModbusCycleWidth(long long cycle);
// The largest value that fits `width` decimal digits (9999 for 4).
long long DtuModbusWidthMax(int width);
// True when a non-negative value fits `width` digits.
bool DtuModbusFitsWidth(long long value, int width);

// The 26..28-character payload, or nothing when a field does not fit its
// width (the device would read a different number than the one typed).
std::optional<std::string> DtuModbusBuildSlaveCfg(const DtuModbusSlaveCfg &cfg);

// A `modbus-slave-cfg` answer: the channel and the five fields as texts
// without leading zeros ("0" when all zeros).
struct DtuModbusSlaveCfgAnswer {
  enum Status { kOk, kEmpty, kBadLength, kBadChannel, kNotDigits } status = kEmpty;
  int length = 0;   // of the trimmed value
  int channel = 0;  // "00" counts as channel 1
  std::string slave, function, address, count, cycle;
};
DtuModbusSlaveCfgAnswer DtuModbusParseSlaveCfg(const std::string &value);

// "0001" ... "0006": the argument of a channel query.
std::string DtuModbusChannelArgument(int channel);

// Byte size of a rule data type code (int8 .. float32), 0 for an unknown code.
int DtuModbusDataTypeSize(int data_type);

// One parameter of a Parse rule, as sent and as answered.
struct DtuModbusRuleParam {
  int channel = 1;     // 1..6
  int rule = 1;        // 1 Parse
  int count = 1;       // parameters of the rule, 1..6
  int param = 1;       // this parameter, 1..6
  std::string tag;     // cut to 31 characters on building
  long long address = 0;
  int data_type = 0;
  int byte_order = 0;
  int convert = 0;
  long long multiplier = 1;
};

// Query arguments: the rule header ("00ccFF") and one parameter ("00cc00pp").
std::string DtuModbusRuleHeaderArgument(int channel);
std::string DtuModbusRuleParamArgument(int channel, int param);
// The Transparent rule payload "00cc00".
std::string DtuModbusBuildTransparentRule(int channel);
// The Parse parameter payload, or nothing when the register address or the
// multiplier needs more than its 8 digits, or a code more than 2.
std::optional<std::string> DtuModbusBuildRuleParam(const DtuModbusRuleParam &param);

// A rule header answer: "00", channel, rule code, parameter count.
struct DtuModbusRuleHeader {
  int channel = 0;
  int rule = 0;
  int count = 0;  // 0 for Transparent
};
// Nothing when the answer is shorter than its layout or not decimal where
// numbers stand; a Parse header must carry a count of 0..6.
std::optional<DtuModbusRuleHeader> DtuModbusParseRuleHeader(const std::string &value);
// A parameter answer; rule 0 (Transparent) comes back with only the header
// fields. Nothing when shorter than its layout, the tag length runs past the
// text, or a number field is not decimal.
std::optional<DtuModbusRuleParam> DtuModbusParseRuleParam(const std::string &value);

