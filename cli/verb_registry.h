// varnokctl's verbs. Each verb lives in a file of its own and registers
// itself with a static VarnokVerbRegistrar, so adding a verb never touches a
// shared file:
//
//   static int RunPing(int argc, char **argv) { ... return kExitOk; }
//   static VarnokVerbRegistrar ping("ping", "check that the device answers", RunPing);
//
// argv[0] is the verb's name, the verb's own arguments follow.
#pragma once

#include <vector>

#include "provision/varnokctl_exit_codes.h"

using VarnokVerbFunction = int (*)(int argc, char **argv);

struct VarnokVerb {
  const char *name;
  const char *help;  // one line
  VarnokVerbFunction run;
};

// Verbs in name order.
const std::vector<VarnokVerb> &VarnokVerbs();
const VarnokVerb *VarnokFindVerb(const char *name);

struct VarnokVerbRegistrar {
  VarnokVerbRegistrar(const char *name, const char *help, VarnokVerbFunction run);
};
