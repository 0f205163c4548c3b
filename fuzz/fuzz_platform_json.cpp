// Fuzz target: the platform's JSON answers (login token, device count, device
// list) as the platform calls read them, cut to their answer buffers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/dtu_log.h"
#include "remote/platform_answers.h"
#include "remote/platform_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool quiet = (DtuLogSetPath("/dev/null"), true);
  (void)quiet;
  std::string text(reinterpret_cast<const char *>(data), size);
  std::string small = text.substr(0, kPlatformSmallAnswer - 1);
  std::string large = text.substr(0, kPlatformLargeAnswer - 1);
  std::string token;
  if (PlatformParseAccessToken(small.c_str(), small.size(), &token) == PLATFORM_ANSWER_OK &&
      token.size() > small.size())
    __builtin_trap();
  PlatformParseDeviceCount(large.c_str());
  std::vector<std::string> imeis;
  if (PlatformParseDeviceList(large.c_str(), large.size(), &imeis) == PLATFORM_ANSWER_OK &&
      imeis.size() > large.size())
    __builtin_trap();
  return 0;
}
