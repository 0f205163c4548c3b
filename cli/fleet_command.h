// `varnokctl apply --cloud FILE ...` from the arguments to the exit code:
// the account and the platform, the devices of the run (checked against the
// product's list), the per-device values (checked whole), the run
// (cli/fleet_run.h) and its report (cli/fleet_report.h).
#pragma once

int RunFleetApply(int argc, char **argv);
