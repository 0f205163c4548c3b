// varnokctl apply: one configuration file onto one or many devices, each
// page proven by reading it back (cli/provision_command.h); with --cloud,
// onto remote devices through the cloud platform (cli/fleet_command.h).
#include "cli/fleet_command.h"
#include "cli/fleet_options.h"
#include "cli/fleet_worker.h"
#include "cli/provision_command.h"
#include "cli/verb_registry.h"

namespace {

int RunApply(int argc, char **argv) {
  if (FleetWorkerWanted(argc, argv)) return RunFleetWorker(argc, argv);
  if (FleetWanted(argc, argv)) return RunFleetApply(argc, argv);
  return RunProvisionVerb("apply", argc, argv);
}

VarnokVerbRegistrar apply_verb("apply", "write a configuration file onto devices and verify it", RunApply);

}  // namespace
