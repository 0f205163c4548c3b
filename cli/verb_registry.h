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

// Exit codes shared by all verbs (README, "varnokctl exit codes").
constexpr int kExitOk = 0;             // done; every line answered
constexpr int kExitPortOpenFailed = 1; // the port does not exist or cannot be opened
constexpr int kExitUsage = 2;          // bad verb, option or argument
constexpr int kExitNoAnswer = 3;       // a line got no answer in time (or nothing came back)
constexpr int kExitPortInUse = 4;      // another program holds the port
constexpr int kExitPortLost = 5;       // the device went away while working
constexpr int kExitDeviceError = 6;    // the device answered a line with an error

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
