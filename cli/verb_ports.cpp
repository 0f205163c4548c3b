// varnokctl ports: the serial ports of this machine, one per line
// ("PATH<TAB>description").
#include <cstdio>
#include <string>

#include "cli/verb_registry.h"
#include "link/dtu_cmd_port.h"

namespace {

int RunPorts(int argc, char **argv) {
  if (argc >= 2) {
    const std::string arg = argv[1];
    if (arg == "--help" || arg == "-h") {
      std::printf("usage: varnokctl ports\n");
      return kExitOk;
    }
    std::fprintf(stderr, "varnokctl ports: takes no arguments\n");
    return kExitUsage;
  }
  for (const auto &port : DtuListSerialPorts()) {
    std::printf("%s\t%s\n", port.path.c_str(), port.description.c_str());
  }
  return kExitOk;
}

VarnokVerbRegistrar ports_verb("ports", "list the serial ports of this machine", RunPorts);

}  // namespace
