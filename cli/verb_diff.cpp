// varnokctl diff: what differs between a device and a configuration file,
// page by page and field by field, before anything is written
// (cli/provision_command.h).
#include "cli/provision_command.h"
#include "cli/verb_registry.h"

namespace {

int RunDiff(int argc, char **argv) { return RunProvisionVerb("diff", argc, argv); }

VarnokVerbRegistrar diff_verb("diff", "compare a device with a configuration file, field by field", RunDiff);

}  // namespace
