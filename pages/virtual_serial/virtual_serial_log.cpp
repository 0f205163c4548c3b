#include "pages/virtual_serial/virtual_serial_log.h"

#include <chrono>
#include <cstdio>

std::string VirtualSerialLogLine(const std::tm &local_time, int millisecond, const std::string &message,
                                 const char *data, int length) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%02d:%02d:%02d.%03d] ", local_time.tm_hour, local_time.tm_min,
                local_time.tm_sec, millisecond);
  std::string line = stamp + message;
  if (data != nullptr && length > 0) {
    for (int i = 0; i < length; ++i) {
      const unsigned char byte = static_cast<unsigned char>(data[i]);
      line += (byte >= 0x20 && byte <= 0x7E) ? static_cast<char>(byte) : '.';
    }
    line += "  |  HEX: ";
    for (int i = 0; i < length; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(data[i]));
      line += hex;
    }
  }
  return line + "\r\n";
}

std::string VirtualSerialLogLineNow(const std::string &message, const char *data, int length) {
  using namespace std::chrono;
  const system_clock::time_point now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const int millisecond = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return VirtualSerialLogLine(local, millisecond, message, data, length);
}

void VirtualSerialLog::Append(const std::string &line) {
  lines_.push_back(line);
  while (lines_.size() > kLinesKept) lines_.pop_front();
}
