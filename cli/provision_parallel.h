// `apply --parallel`: one worker process per port, all at once. The command
// port of this program is one per process, so each device gets a process of
// its own running the same `apply` on its one port; the worker reports its
// progress on standard error and its report as JSON on standard output, and
// this side merges them. A Ctrl-C is passed on to every worker, which stops
// after the page it is writing.
#pragma once

#include <string>

#include "cli/provision_options.h"
#include "provision/provision_report.h"

class ProvisionProgressLine;

// The devices' reports in the order of the ports.
std::vector<ProvisionDeviceReport> ProvisionRunParallel(const ProvisionOptions &options,
                                                         ProvisionProgressLine &progress);

// Worker side: one progress line for the parent ("@progress K N PAGE").
void ProvisionWorkerProgress(int index, int count, const std::string &page);
