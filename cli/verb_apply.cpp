// varnokctl apply: one configuration file onto one or many devices, each
// page proven by reading it back (cli/provision_command.h).
#include "cli/provision_command.h"
#include "cli/verb_registry.h"

namespace {

int RunApply(int argc, char **argv) { return RunProvisionVerb("apply", argc, argv); }

VarnokVerbRegistrar apply_verb("apply", "write a configuration file onto devices and verify it", RunApply);

}  // namespace
