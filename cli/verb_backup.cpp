// varnokctl backup: every page of a device read and saved into a
// configuration file (cli/provision_command.h).
#include "cli/provision_command.h"
#include "cli/verb_registry.h"

namespace {

int RunBackup(int argc, char **argv) { return RunProvisionVerb("backup", argc, argv); }

VarnokVerbRegistrar backup_verb("backup", "read a device's pages and save them into a file", RunBackup);

}  // namespace
