// Arguments of `varnokctl apply --cloud`:
//
//   varnokctl apply --cloud FILE (--device IMEI... | --devices-file F | --all | --resume REPORT)
//                   [--max-inflight K] [--canary N] [--max-failures P%] [--retries R]
//                   [--device-timeout S] [--timeout S] [--pages LIST] [--values F]
//                   [--json] [--csv F] [--events] [--user U] [--password P]
//                   [--product-key K] [--product-secret S]
//
// The account and product come from the options, else from the environment
// (kFleetAccountVariables: a caller that keeps them off its command line),
// else from FILE's [iotInfo] section; where the platform is, from its
// [platform] section and the environment (remote/platform_settings.h).
#pragma once

#include <map>
#include <string>
#include <vector>

struct FleetOptions {
  std::string file;
  std::vector<std::string> devices;  // --device, in the order given
  std::string devices_file;
  bool all = false;
  std::string resume;  // a JSON report
  int max_inflight = 32;
  int canary = 0;
  int max_failures_percent = -1;  // -1: no limit
  int retries = 1;
  int device_timeout_s = 300;
  int timeout_ms = 20000;  // per step of a page, as for apply
  std::vector<std::string> pages;
  std::string values_file;
  bool json = false;
  bool events = false;  // one JSON line per device state change on standard error
  std::string csv;
  std::map<std::string, std::string> account;  // iotInfo key -> value
};

struct FleetAccountVariable {
  const char *key;       // the [iotInfo] key
  const char *variable;  // the environment variable
};
// VARNOK_CLOUD_USER, VARNOK_CLOUD_PASSWORD, VARNOK_CLOUD_PRODUCT_KEY, VARNOK_CLOUD_PRODUCT_SECRET.
extern const FleetAccountVariable kFleetAccountVariables[4];

constexpr int kFleetMaxInflight = 1000;
// A share of failures counts only once this many devices finished.
constexpr int kFleetFailureFloor = 10;

// True when `argv` asks for a fleet apply (holds --cloud).
bool FleetWanted(int argc, char **argv);
bool ParseFleetOptions(int argc, char **argv, FleetOptions &options, std::string &error);
extern const char kFleetHelp[];
