// One device of a fleet apply, in a process of its own (the command port and
// the pages are one per process): the parent (cli/fleet_run.h) starts
//
//   varnokctl apply --fleet-worker --imei IMEI --file FILE --verb apply|diff
//                   --pages LIST --timeout-ms N --broker LIST --product-key K
//                   [--value page.Field=VALUE]...
//
// with the product secret in the environment (VARNOK_FLEET_PRODUCT_SECRET:
// a command line is visible to every user of the machine). The worker opens
// the port "cloud:IMEI" (remote/dtu_cloud_transport.h), asks the device its
// version first (a device that never answers is told apart from one that
// failed), then runs the pages with the provisioning engine of `apply`
// (provision/provision_device.h) until the first page that fails, reporting each
// page as it starts on standard error and its report as JSON on standard
// output. verb diff reads the pages and compares them with the file,
// writing nothing: the parent's re-read of a device whose write was cut off.
#pragma once

#include <string>
#include <vector>

#include "cli/fleet_values.h"

extern const char kFleetWorkerFlag[];         // "--fleet-worker"
extern const char kFleetSecretVariable[];     // "VARNOK_FLEET_PRODUCT_SECRET"
// The line that tells a device that answers from one that does not.
extern const char kFleetProbeLine[];

struct FleetWorkerJob {
  std::string imei;
  std::string file;
  std::string verb = "apply";
  std::vector<std::string> pages;
  int timeout_ms = 20000;
  std::string brokers;  // "host:port,host:port"
  std::string product_key;
  FleetValues values;
};

std::vector<std::string> FleetWorkerArguments(const FleetWorkerJob &job);

// True when argv asks for a worker (holds --fleet-worker).
bool FleetWorkerWanted(int argc, char **argv);
int RunFleetWorker(int argc, char **argv);
