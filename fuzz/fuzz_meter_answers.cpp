// Fuzz target: what the device answers for the Modbus polling, Modbus cache
// and DL/T 645 keys, on arbitrary bytes. Checks that the parsers keep their
// limits, and that whatever they accept builds a payload that parses back to
// the same values.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pages/dlt645/dtu_dlt645_records.h"
#include "pages/modbus/dtu_modbus_cache_payload.h"
#include "pages/modbus/dtu_modbus_payload.h"

namespace {

void CheckModbus(const std::string &value) {
  const DtuModbusSlaveCfgAnswer cfg = DtuModbusParseSlaveCfg(value);
  if (cfg.status == DtuModbusSlaveCfgAnswer::kOk && (cfg.channel < 1 || cfg.channel > kModbusChannelCount)) {
    __builtin_trap();
  }
  if (const auto header = DtuModbusParseRuleHeader(value)) {
    if (header->rule == 1 && (header->count < 0 || header->count > kModbusRuleParams)) __builtin_trap();
  }
  if (const auto param = DtuModbusParseRuleParam(value)) {
    // A device may report a longer tag than a Set sends (that one is cut
    // with a message): only a tag that fits goes round unchanged.
    if (param->rule == 1 && param->tag.size() <= static_cast<size_t>(kModbusTagMax)) {
      if (const auto built = DtuModbusBuildRuleParam(*param)) {
        const auto again = DtuModbusParseRuleParam(*built);
        if (!again || again->tag != param->tag || again->address != param->address ||
            again->multiplier != param->multiplier) {
          __builtin_trap();
        }
      }
    }
  }
  if (const auto cache = DtuModbusParseCacheChannel(value)) {
    if (const auto built = DtuModbusBuildCacheChannel(*cache)) {
      const auto again = DtuModbusParseCacheChannel(*built);
      if (!again || !(*again == *cache)) __builtin_trap();
    }
  }
  DtuModbusCacheAnswerValue(value.c_str());
}

void CheckDlt645(const std::string &value) {
  for (const DtuDlt645Meter &meter : DtuDlt645ParseMeters(value)) {
    if (meter.highest_di < 0 || meter.highest_di > kDlt645DiCodes) __builtin_trap();
    if (meter.addr.size() > 15 || meter.cycle.size() > 7) __builtin_trap();
  }
  DtuDlt645Rule rule;
  if (DtuDlt645ParseRule(value, rule)) {
    DtuDlt645Rule again;
    if (!DtuDlt645ParseRule(DtuDlt645RulePayload(rule), again) || again.ch != rule.ch || again.rule != rule.rule ||
        again.param_cnt != rule.param_cnt) {
      __builtin_trap();
    }
  }
  for (const DtuDlt645RuleItem &item : DtuDlt645ParseRuleItems(value)) {
    if (item.tag.size() > 63 || item.di.size() > 31) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  CheckModbus(bytes);
  CheckDlt645(bytes);
  return 0;
}
