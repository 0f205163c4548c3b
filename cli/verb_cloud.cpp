// `varnokctl cloud login|devices`: registers the cloud verb (its work is in
// cloud_command.cpp).
#include <iostream>
#include <string>
#include <vector>

#include "cli/cloud_command.h"
#include "cli/verb_registry.h"

namespace {

int RunCloud(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kCloudUsageText;
    return kExitOk;
  }
  return CloudCommand(args, std::cout, std::cerr);
}

VarnokVerbRegistrar cloud_verb("cloud", "log in to the cloud platform, or list a product's devices", RunCloud);

}  // namespace
