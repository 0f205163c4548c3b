#include "pages/settings/dtu_data_port_codes.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "base/dtu_log.h"

const char *const kDtuBaudrateItems[kDtuBaudrateCount] = {
    "1200",  "2400",  "4800",   "9600",   "14400",  "19200",  "38400", "56000",
    "57600", "115200", "128000", "230400", "256000", "460800", "921600"};
const char *const kDtuDatabitsItems[kDtuDatabitsCount] = {"5", "6", "7", "8"};
const char *const kDtuParityItems[kDtuParityCount] = {"None", "Odd", "Even"};

int DtuBaudrateIndexFromAnswer(const std::string &value) {
  for (int i = 0; i < kDtuBaudrateCount; ++i) {
    if (strncasecmp(value.c_str(), kDtuBaudrateItems[i], std::strlen(kDtuBaudrateItems[i])) == 0) return i;
  }
  return -1;
}

int DtuDatabitIndexFromAnswer(const std::string &value) {
  const std::string bits = std::to_string(std::atoi(value.c_str()) + 5);
  for (int i = 0; i < kDtuDatabitsCount; ++i) {
    if (std::strncmp(kDtuDatabitsItems[i], bits.c_str(), value.size()) == 0) return i;
  }
  return -1;
}

int DtuParityIndexFromAnswer(const std::string &value) {
  switch (value.empty() ? '\0' : value[0]) {
    case '0': return 0;
    case '1': return 1;
    case '3': return 2;
    default: return -1;
  }
}

int DtuParityCodeFromIndex(int index) {
  static const int kCodes[kDtuParityCount] = {0, 1, 3};
  return index >= 0 && index < kDtuParityCount ? kCodes[index] : 0;
}

int DtuParityIndexFromCode(int code) { return code == 1 ? 1 : code == 3 ? 2 : 0; }

int DtuBaudrateIndexFromNumber(int baud) {
  for (int i = 0; i < kDtuBaudrateCount; ++i) {
    if (std::atoi(kDtuBaudrateItems[i]) == baud) return i;
  }
  return -1;
}
