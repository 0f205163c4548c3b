#include "pages/settings/dtu_remote_cfg_info.h"

#include <cstdio>
#include <cstdlib>

std::string DtuRemoteCfgInfoFormat(int switch_index, int port, const std::string &server) {
  char head[32];
  std::snprintf(head, sizeof(head), "%01d%08d", switch_index, port);
  return head + server;
}

DtuRemoteCfgInfo DtuRemoteCfgInfoParse(const std::string &value) {
  DtuRemoteCfgInfo info;
  if (value.empty()) return info;
  info.switch_index = value[0] == '0' ? 0 : 1;
  info.port = std::atoi(value.substr(1, 8).c_str());
  if (value.size() > 9) info.server = value.substr(9, kDtuRemoteCfgServerMax);
  return info;
}
