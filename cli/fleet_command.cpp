#include "cli/fleet_command.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/cloud_command.h"
#include "cli/fleet_options.h"
#include "cli/fleet_report.h"
#include "cli/fleet_run.h"
#include "cli/fleet_values.h"
#include "cli/provision_stop.h"
#include "cli/verb_registry.h"
#include "config/dtu_config.h"
#include "config/dtu_file_io.h"
#include "pages/kit/dtu_page_store.h"
#include "remote/dtu_mqtt_connection.h"
#include "remote/platform_client.h"
#include "remote/platform_settings.h"

namespace {

const char kVerb[] = "varnokctl apply --cloud";

int Refuse(int code, const std::string &text) {
  std::fprintf(stderr, "%s: %s\n", kVerb, text.c_str());
  return code;
}

// One IMEI per line, '#' starts a comment; the first comma-separated cell
// counts, so a CSV with the IMEI first serves too.
bool ReadDevicesFile(const std::string &path, std::vector<std::string> &imeis, std::string &error) {
  std::string bytes, why;
  if (DtuReadWholeFile(path, bytes, &why) != DtuFileRead::kOk) {
    error = "cannot read " + path + (why.empty() ? "" : ": " + why);
    return false;
  }
  std::istringstream in(bytes);
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find_first_of("#,"));
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    imeis.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
  }
  if (imeis.empty()) error = path + " names no device";
  return !imeis.empty();
}

// The devices of the run; every one must be a device of the product, and
// none may come twice (two workers on one device would write it at once).
bool SelectDevices(const FleetOptions &o, const std::vector<std::string> &product, std::vector<std::string> &imeis,
                   std::string &error) {
  if (o.all) imeis = product;
  else if (!o.devices.empty()) imeis = o.devices;
  else if (!o.devices_file.empty() && !ReadDevicesFile(o.devices_file, imeis, error)) return false;
  else if (!o.resume.empty() && !FleetResumeImeis(o.resume, imeis, error)) return false;
  const std::set<std::string> known(product.begin(), product.end());
  std::set<std::string> seen;
  for (const std::string &imei : imeis) {
    if (!seen.insert(imei).second) return error = "device " + imei + " is named twice", false;
    if (!known.count(imei)) {
      return error = "device " + imei + " is not in the product's device list (see varnokctl cloud devices)", false;
    }
  }
  if (imeis.empty() && o.resume.empty()) return error = "no device to apply", false;
  return true;
}

bool Account(const FleetOptions &o, std::map<std::string, std::string> &account, std::string &error) {
  account = o.account;
  for (const FleetAccountVariable &v : kFleetAccountVariables) {
    const char *value = std::getenv(v.variable);
    if (value != nullptr && *value != '\0' && !account.count(v.key)) account[v.key] = value;
  }
  std::string problem;
  if (!CloudConfigUsable(o.file, problem)) return error = "cannot read " + problem, false;
  CloudFillAccountFromFile(o.file, account);
  for (const FleetAccountVariable &v : kFleetAccountVariables) {
    if (!account.count(v.key)) {
      return error = std::string("no ") + v.key + ": give it as an option, in " + v.variable + ", or fill [iotInfo] in " +
                     o.file,
             false;
    }
  }
  return true;
}

bool WriteCsv(const std::string &path, const FleetReport &report, std::string &error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << FleetReportCsv(report);
  out.close();
  if (!out) error = "cannot write the CSV report " + path;
  return static_cast<bool>(out);
}

}  // namespace

int RunFleetApply(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::fputs(kFleetHelp, stdout);
      return kExitOk;
    }
  }
  FleetOptions o;
  std::string error;
  if (!ParseFleetOptions(argc, argv, o, error)) {
    std::fprintf(stderr, "%s: %s\n%s", kVerb, error.c_str(), kFleetHelp);
    return kExitUsage;
  }
  DtuConfig config;
  if (!config.LoadFromFile(o.file)) return kExitRefused;  // the store said why
  DtuPageSetConfigPath(o.file);
  std::map<std::string, std::string> account;
  if (!Account(o, account, error)) return Refuse(kExitUsage, error);
  PlatformSettings settings = PlatformSettingsLoad(o.file);
  PlatformSettingsApplyTls(settings);
  FleetPlan plan;
  plan.options = o;
  std::vector<DtuMqttBroker> brokers;
  if (!DtuMqttParseBrokers(settings.mqtt_host, settings.mqtt_port, brokers, error)) {
    return Refuse(kExitUsage, "the MQTT broker setting: " + error);
  }
  plan.brokers = DtuMqttBrokersText(brokers);
  plan.product_key = account["productKey"];
  plan.product_secret = account["productSecret"];

  PlatformClient client(settings.api_base);
  client.SetSuccessMessages(false);
  if (client.Login(account["username"], account["password"]) != PLATFORM_OK) {
    return Refuse(kExitCloudFailed, "login to " + settings.api_base + " failed (see log.txt)");
  }
  std::vector<std::string> product;
  const int listed = client.ListAllDevices(plan.product_key, plan.product_secret, &product);
  client.Logout();
  if (listed != PLATFORM_OK) {
    return Refuse(kExitCloudFailed, "the device list of product " + plan.product_key + " failed (" +
                                        std::to_string(listed) + "; see log.txt)");
  }
  if (!SelectDevices(o, product, plan.imeis, error)) return Refuse(kExitUsage, error);
  if (!o.values_file.empty()) {
    FleetValueTable table;
    // A resumed run applies part of the devices the values were made for.
    if (!table.Load(o.values_file, o.pages, o.resume.empty() ? plan.imeis : product, error)) {
      return Refuse(kExitUsage, error);
    }
    for (const std::string &imei : plan.imeis) plan.csv_values[imei] = table.ValuesOf(imei);
  }
  plan.template_fields = FleetImeiTemplateFields(o.pages);

  ProvisionInstallStopHandler(false);
  FleetReport report;
  report.file = o.file;
  report.devices = FleetRun(plan, report.stopped);
  int code = FleetReportExitCode(report);
  const std::string text = o.json ? FleetReportJson(report).toStdString() : FleetReportText(report);
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
  if (!o.csv.empty() && !WriteCsv(o.csv, report, error)) code = Refuse(std::max(code, int(kExitRefused)), error);
  return code;
}
