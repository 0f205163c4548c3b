#include "link/dtu_cmd_transport.h"

#include <map>
#include <mutex>

#include "link/serial_port_base.h"

namespace {

std::mutex &RegistryLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, DtuCmdTransportFactory> &Registry() {
  static std::map<std::string, DtuCmdTransportFactory> registry;
  return registry;
}

}  // namespace

void DtuCmdRegisterTransport(const std::string &scheme, DtuCmdTransportFactory factory) {
  std::lock_guard<std::mutex> guard(RegistryLock());
  if (factory) Registry()[scheme] = std::move(factory);
  else Registry().erase(scheme);
}

std::string DtuCmdTransportScheme(const std::string &port_name) {
  const size_t colon = port_name.find(':');
  if (colon == std::string::npos || colon == 0) return std::string();
  const std::string scheme = port_name.substr(0, colon);
  std::lock_guard<std::mutex> guard(RegistryLock());
  return Registry().count(scheme) != 0 ? scheme : std::string();
}

std::unique_ptr<CSerialPortBase> DtuCmdMakeTransport(const std::string &port_name) {
  const std::string scheme = DtuCmdTransportScheme(port_name);
  if (scheme.empty()) return nullptr;
  DtuCmdTransportFactory factory;
  {
    std::lock_guard<std::mutex> guard(RegistryLock());
    factory = Registry()[scheme];
  }
  return factory ? factory() : nullptr;
}
