// What a fleet apply found, per device: its state, the pages done, the
// first failing field with the device's and the file's value, how many
// attempts it took and how long, and the values it got beyond the file. Printed
// for people, as JSON ({"devices": [{"imei": ..., "state": ...}], ...}) and
// as CSV (one row per device); a JSON report read back picks the devices a
// --resume applies again.
#pragma once

#include <QByteArray>

#include <string>
#include <vector>

#include "cli/fleet_values.h"
#include "provision/provision_report.h"

enum class FleetState {
  kSucceeded,   // every page written and read back equal
  kFailed,      // a page failed: the device refused, read back otherwise, ...
  kTimedOut,    // the device never answered, or ran out of its time
  kNotStarted,  // never started (a canary or the failure limit stopped the run, Ctrl-C)
  kCanceled,    // stopped by Ctrl-C while it was being worked on
};

const char *FleetStateName(FleetState state);  // "SUCCEEDED", ...
bool FleetStateOfName(const std::string &name, FleetState &state);

// The first thing that went wrong on a device.
struct FleetFailure {
  std::string page;
  std::string field;   // "" when no single field is to blame
  std::string device;  // the device's value (read back), or what it answered
  std::string file;    // the value written, as the file (and the device's values) had it
  std::string reason;  // "read-back differs", "the device refused the line (ERROR)", ...
};

struct FleetDeviceResult {
  std::string imei;
  FleetState state = FleetState::kNotStarted;
  int attempts = 0;
  double seconds = 0;
  int pages_done = 0;
  int pages_total = 0;
  std::vector<std::string> pages_verified;  // tree order
  FleetFailure failure;                     // when not SUCCEEDED
  std::string note;                         // more about the state ("not started: the canary ... failed")
  FleetValues values;
  int exit_code = 0;  // what the device's state comes to (kExit*)
};

struct FleetReport {
  std::string file;
  std::string stopped;  // why the run stopped starting devices, "" when it did not
  std::vector<FleetDeviceResult> devices;
};

int FleetReportExitCode(const FleetReport &report);
std::string FleetReportText(const FleetReport &report);
QByteArray FleetReportJson(const FleetReport &report);
std::string FleetReportCsv(const FleetReport &report);
// The IMEIs of a JSON report whose state is not SUCCEEDED, in its order.
// False with `error` when the report does not read.
bool FleetResumeImeis(const std::string &path, std::vector<std::string> &imeis, std::string &error);
