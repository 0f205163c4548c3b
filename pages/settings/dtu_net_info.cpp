#include "pages/settings/dtu_net_info.h"

#include <strings.h>

const char kDtuNetInfoAuto[] = "apn:auto&username: &pwd: &";

namespace {

// Text from `start` up to (not including) `stop`, trailing '&' removed.
std::string Part(const std::string &value, size_t start, size_t stop) {
  if (stop == std::string::npos || stop > value.size()) stop = value.size();
  if (stop <= start) return std::string();
  std::string part = value.substr(start, stop - start);
  while (!part.empty() && part.back() == '&') part.pop_back();
  return part;
}

// Where a part that starts at `start` ends: the character before the next
// marker, or the end of the value when the marker is missing or before it.
size_t StopBefore(size_t marker, size_t start) {
  if (marker == std::string::npos || marker < start) return std::string::npos;
  return marker == 0 ? 0 : marker - 1;
}

}  // namespace

std::string DtuNetInfoFormat(const DtuNetInfo &info) {
  return "apn:" + info.apn + "&username:" + info.username + "&pwd:" + info.pwd;
}

DtuNetInfo DtuNetInfoParse(const std::string &value) {
  const size_t apn = value.find("apn:");
  const size_t user = value.find("username:");
  const size_t pwd = value.find("pwd:");
  DtuNetInfo info;
  if (apn != std::string::npos) {
    size_t start = apn + 4;
    info.apn = Part(value, start, StopBefore(user, start));
  }
  if (user != std::string::npos) {
    size_t start = user + 9;
    info.username = Part(value, start, StopBefore(pwd, start));
  }
  if (pwd != std::string::npos) {
    size_t start = pwd + 4;
    info.pwd = Part(value, start, value.find('&', start));
  }
  return info;
}

bool DtuNetInfoIsAuto(const std::string &apn) { return strcasecmp(apn.c_str(), "auto") == 0; }
