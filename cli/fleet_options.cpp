#include "cli/fleet_options.h"

#include <cstdlib>
#include <cstring>

#include "provision/provision_pages.h"

const char kFleetHelp[] =
    "usage: varnokctl apply --cloud FILE (--device IMEI... | --devices-file F | --all | --resume REPORT)\n"
    "                       [--max-inflight K] [--canary N] [--max-failures P%] [--retries R]\n"
    "                       [--device-timeout S] [--timeout S] [--pages LIST] [--values F]\n"
    "                       [--json] [--csv F] [--user U] [--password P]\n"
    "                       [--product-key K] [--product-secret S]\n"
    "  Applies FILE to remote devices through the cloud platform's broker: per\n"
    "  device and page the same Read, Set with the page's checks, confirmation\n"
    "  and read-back as apply on a port. The account and product come from FILE's\n"
    "  [iotInfo] section unless given as options.\n"
    "  --device IMEI...    these devices (the option may be repeated)\n"
    "  --devices-file F    the IMEIs in F, one per line ('#' comments)\n"
    "  --all               every device of the product's list\n"
    "  --resume REPORT     the devices of a --json report that did not succeed\n"
    "  --max-inflight K    devices worked at once (default 32)\n"
    "  --canary N          apply N devices first; stop if any of them fails\n"
    "  --max-failures P%   start no more devices once P% of the finished ones\n"
    "                      failed (counted from 10 finished devices on)\n"
    "  --retries R         try a device that never answered R more times (default 1);\n"
    "                      a device that failed after a write is read again, not\n"
    "                      written again\n"
    "  --device-timeout S  time for one device (default 300 s)\n"
    "  --timeout S         per Read, Set or read-back of a page (default 20 s)\n"
    "  --values F          per-device values: CSV with an IMEI column and page.Field\n"
    "                      columns (mqtt.ClientID); ${IMEI} in FILE or F becomes the\n"
    "                      device's IMEI\n"
    "  --json              the report as JSON; --csv F also writes it as CSV to F\n"
    "states: SUCCEEDED, FAILED, TIMED_OUT, NOT_STARTED, CANCELED. Ctrl-C stops starting\n"
    "devices and lets each running one finish the page it writes; a second one ends\n"
    "them at once, and the report names the page each was writing.\n"
    "exit: 0 every device succeeded, else the worst code of the devices (see apply\n"
    "      --help), 8 the platform refused the login or the device list\n";

namespace {

bool Number(const std::string &text, int low, int high, int &value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 7) return false;
  value = std::atoi(text.c_str());
  return value >= low && value <= high;
}

bool IsOption(const char *arg) { return arg[0] == '-' && arg[1] == '-'; }

// The options that take a number: name, lowest, highest, where it goes.
bool TakeNumber(const std::string &arg, const std::string &value, FleetOptions &o, std::string &error) {
  struct Row {
    const char *name;
    int low, high;
    int *into;
  };
  int timeout_s = 0;
  const Row rows[] = {{"--max-inflight", 1, kFleetMaxInflight, &o.max_inflight},
                      {"--canary", 0, 1000000, &o.canary},
                      {"--retries", 0, 100, &o.retries},
                      {"--device-timeout", 1, 86400, &o.device_timeout_s},
                      {"--timeout", 1, 3600, &timeout_s}};
  for (const Row &row : rows) {
    if (arg != row.name) continue;
    if (!Number(value, row.low, row.high, *row.into)) {
      error = arg + " takes a whole number from " + std::to_string(row.low) + " to " + std::to_string(row.high);
      return false;
    }
    if (row.into == &timeout_s) o.timeout_ms = timeout_s * 1000;
    return true;
  }
  std::string percent = value;
  if (!percent.empty() && percent.back() == '%') percent.pop_back();
  if (!Number(percent, 0, 100, o.max_failures_percent)) {
    error = "--max-failures takes a share from 0% to 100%";
    return false;
  }
  return true;
}

bool CheckSelection(const FleetOptions &o, std::string &error) {
  const int ways = (o.devices.empty() ? 0 : 1) + (o.devices_file.empty() ? 0 : 1) + (o.all ? 1 : 0) +
                   (o.resume.empty() ? 0 : 1);
  if (ways == 1) return true;
  error = ways == 0 ? "say which devices: --device IMEI..., --devices-file F, --all or --resume REPORT"
                    : "--device, --devices-file, --all and --resume exclude each other";
  return false;
}

}  // namespace

bool FleetWanted(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--cloud") == 0) return true;
  }
  return false;
}

bool ParseFleetOptions(int argc, char **argv, FleetOptions &o, std::string &error) {
  static const std::map<std::string, std::string> kAccount = {{"--user", "username"},
                                                              {"--password", "password"},
                                                              {"--product-key", "productKey"},
                                                              {"--product-secret", "productSecret"}};
  std::string pages;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--all") {
      o.all = true;
      continue;
    }
    if (arg == "--json") {
      o.json = true;
      continue;
    }
    if (i + 1 >= argc) return error = "option " + arg + " needs a value", false;
    if (!IsOption(argv[i])) return error = "unexpected argument " + arg, false;
    const std::string value = argv[++i];
    if (arg == "--cloud") o.file = value;
    else if (arg == "--device") {
      o.devices.push_back(value);
      while (i + 1 < argc && !IsOption(argv[i + 1])) o.devices.push_back(argv[++i]);
    } else if (arg == "--devices-file") o.devices_file = value;
    else if (arg == "--resume") o.resume = value;
    else if (arg == "--pages") pages += (pages.empty() ? "" : ",") + value;
    else if (arg == "--values") o.values_file = value;
    else if (arg == "--csv") o.csv = value;
    else if (kAccount.count(arg)) o.account[kAccount.at(arg)] = value;
    else if (arg == "--max-inflight" || arg == "--canary" || arg == "--retries" || arg == "--device-timeout" ||
             arg == "--timeout" || arg == "--max-failures") {
      if (!TakeNumber(arg, value, o, error)) return false;
    } else {
      return error = "unknown option " + arg, false;
    }
  }
  if (o.file.empty()) return error = "give the configuration file: --cloud FILE", false;
  return CheckSelection(o, error) && ProvisionSelectPages(pages, o.pages, error);
}
