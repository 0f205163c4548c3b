// The remoteCfgInfo payload: one text without separators, the switch in the
// first character, the port in the next eight digits, the server host after.
// Example: switch on, port 1883, server "abc" is "100001883abc".
#pragma once

#include <string>

// The server part from the device is kept up to this many characters.
constexpr size_t kDtuRemoteCfgServerMax = 127;

struct DtuRemoteCfgInfo {
  int switch_index = 0;  // 0 off, 1 on
  int port = 0;
  std::string server;
};

// "%01d%08d%s" of the three values.
std::string DtuRemoteCfgInfoFormat(int switch_index, int port, const std::string &server);

// "0" first selects off, any other first character on; characters 2-9 are
// the port (fewer digits are read as far as they go); the rest, cut to
// kDtuRemoteCfgServerMax, is the server. An empty value is off, port 0.
DtuRemoteCfgInfo DtuRemoteCfgInfoParse(const std::string &value);
