#include "pages/modbus/dtu_modbus_switches.h"

#include <strings.h>

#include "pages/kit/dtu_typed_number.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/modbus/dtu_modbus_cache_payload.h"

void DtuModbusShareSwitches(DtuModbus &polling, DtuModbusCache &cache) {
  auto shared = std::make_shared<DtuModbusSwitches>();
  polling.UseSwitches(shared);
  cache.UseSwitches(shared);
}

std::optional<int> DtuModbusSwitchInAnswer(const std::string &answer, const char *key) {
  const std::string prefix = std::string(key) + " :";
  size_t line = 0;
  while (line < answer.size()) {
    size_t end = answer.find_first_of("\r\n", line);
    if (end == std::string::npos) end = answer.size();
    if (end - line >= prefix.size() && strncasecmp(answer.c_str() + line, prefix.c_str(), prefix.size()) == 0) {
      const std::string value = DtuModbusCacheAnswerValue(answer.substr(line + prefix.size(), end - line - prefix.size()).c_str());
      if (!DtuTypedAllDigits(value) || value.size() > 2) return std::nullopt;
      return static_cast<int>(DtuTypedNumber(value));
    }
    line = end + 1;
  }
  return std::nullopt;
}
