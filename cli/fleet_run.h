// The parent of a fleet apply: works the devices in worker processes
// (cli/fleet_worker.h), at most --max-inflight at once, and decides each
// device's state from its workers' reports.
//
//  - canary: the first N devices go first; the others start only when all
//    of those succeeded, else none of them does;
//  - failure limit: once 10 devices finished, no new device starts while
//    the failed share of the finished ones reaches the limit;
//  - a device that never answered is tried again, up to --retries times,
//    after the others had their turn;
//  - a device whose write was cut off (a set line without its answer, the
//    broker gone during a Set) is never written again blindly: it is read
//    again and compared with the file; equal, it goes on with its other
//    pages; otherwise it failed, with the fields that differ;
//  - a device that runs out of its time is stopped after its page, and
//    ended when it does not stop;
//  - Ctrl-C: no device starts any more, each running one finishes the page
//    it writes; a second Ctrl-C ends them at once. The report says which
//    page each was writing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cli/fleet_options.h"
#include "cli/fleet_report.h"

struct FleetPlan {
  FleetOptions options;
  std::vector<std::string> imeis;  // in order
  std::map<std::string, FleetValues> csv_values;
  std::vector<std::string> template_fields;  // fields whose file value holds ${IMEI}
  std::string brokers;                       // "host:port,..."; each device gets them rotated
  std::string product_key;
  std::string product_secret;
};

// Runs the plan; the devices in the plan's order. `stopped` says why no more
// devices were started, when that happened.
std::vector<FleetDeviceResult> FleetRun(const FleetPlan &plan, std::string &stopped);
