#include "cli/fleet_worker.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli_provision_port.h"
#include "cli/provision_parallel.h"
#include "cli/provision_stop.h"
#include "cli/verb_registry.h"
#include "pages/dtu_page_runner.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_store.h"
#include "provision/provision_backup_file.h"
#include "provision/provision_link.h"
#include "provision/provision_pages.h"
#include "remote/dtu_cloud_transport.h"

const char kFleetWorkerFlag[] = "--fleet-worker";
const char kFleetSecretVariable[] = "VARNOK_FLEET_PRODUCT_SECRET";
const char kFleetProbeLine[] = "AT+ZEVCFG=get|version\r\n";

namespace {
// A hundred workers wait side by side: a slower tick than the page runner's
// 5 ms leaves the CPU to the work (answers still end a wait at once).
constexpr int kWaitTickMs = 25;
}  // namespace

namespace {

std::string Joined(const std::vector<std::string> &items) {
  std::string text;
  for (const std::string &item : items) text += (text.empty() ? "" : ",") + item;
  return text;
}

bool ParseWorker(int argc, char **argv, FleetWorkerJob &job, std::string &error) {
  std::string pages;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == kFleetWorkerFlag) continue;
    if (i + 1 >= argc) return error = "option " + arg + " needs a value", false;
    const std::string value = argv[++i];
    if (arg == "--imei") job.imei = value;
    else if (arg == "--file") job.file = value;
    else if (arg == "--verb") job.verb = value;
    else if (arg == "--pages") pages = value;
    else if (arg == "--timeout-ms") job.timeout_ms = std::atoi(value.c_str());
    else if (arg == "--broker") job.brokers = value;
    else if (arg == "--product-key") job.product_key = value;
    else if (arg == "--value") {
      std::string name, text;
      if (!FleetParseValueArgument(value, name, text)) return error = "bad --value " + value, false;
      job.values.emplace_back(name, text);
    } else {
      return error = "unknown option " + arg, false;
    }
  }
  if (job.imei.empty() || job.file.empty() || job.brokers.empty()) return error = "--imei, --file and --broker are needed", false;
  if (job.verb != "apply" && job.verb != "diff") return error = "--verb takes apply or diff", false;
  if (job.timeout_ms <= 0) return error = "bad --timeout-ms", false;
  return ProvisionSelectPages(pages, job.pages, error);
}

bool InstallTransport(const FleetWorkerJob &job, std::string &error) {
  DtuCloudTransportSettings settings;
  if (!DtuMqttParseBrokers(job.brokers, 1883, settings.brokers, error)) return false;
  settings.product_key = job.product_key;
  const char *secret = std::getenv(kFleetSecretVariable);
  settings.product_secret = secret != nullptr ? secret : "";
  DtuCloudTransportInstall(settings);
  return true;
}

bool Probe(ProvisionLink &link, std::string &why) {
  const ProvisionStep step = link.Probe(kFleetProbeLine);
  if (step == ProvisionStep::kDone) return true;
  why = step == ProvisionStep::kPortLost ? "the broker dropped the connection before the device answered"
                                         : "the device never answered a query of its version";
  return false;
}

}  // namespace

std::vector<std::string> FleetWorkerArguments(const FleetWorkerJob &job) {
  std::vector<std::string> args = {"apply",     kFleetWorkerFlag, "--imei",       job.imei,
                                   "--file",    job.file,         "--verb",       job.verb,
                                   "--pages",   Joined(job.pages), "--timeout-ms", std::to_string(job.timeout_ms),
                                   "--broker",  job.brokers,      "--product-key", job.product_key};
  for (const auto &[name, value] : job.values) args.insert(args.end(), {"--value", FleetValueArgument(name, value)});
  return args;
}

bool FleetWorkerWanted(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kFleetWorkerFlag) == 0) return true;
  }
  return false;
}

int RunFleetWorker(int argc, char **argv) {
  ProvisionInstallStopHandler(true);  // before connecting, which can take a while
  FleetWorkerJob worker;
  std::string error;
  if (!ParseWorker(argc, argv, worker, error) || !InstallTransport(worker, error)) {
    std::fprintf(stderr, "varnokctl apply %s: %s\n", kFleetWorkerFlag, error.c_str());
    return kExitUsage;
  }
  DtuPageSetConfigPath(worker.file);
  DtuPageSetWaitTickMs(kWaitTickMs);
  ProvisionJob job;
  job.verb = worker.verb;
  job.file = worker.file;
  job.pages = worker.pages;
  job.serial.port = DtuCloudPortName(worker.imei);
  job.timeout_ms = worker.timeout_ms;
  job.stop_at_first_failure = true;
  job.probe = Probe;
  job.adjust = [&worker](DtuPage &page, std::string &why) {
    return FleetAdjustPage(page, worker.imei, worker.values, why);
  };
  // diff saves the device's pages into a scratch copy of the file.
  ProvisionBackupFile scratch;
  if (job.verb == "diff") {
    if (!scratch.Begin(job.file, error, QDir::temp().filePath("varnokctl-diff").toStdString())) {
      std::fprintf(stderr, "varnokctl apply %s: %s\n", kFleetWorkerFlag, error.c_str());
      return kExitRefused;
    }
    job.scratch = scratch.WorkPath();
  }
  ProvisionReport report{job.verb, job.file, {}};
  report.devices.push_back(CliProvisionRunDevice(job, ProvisionWorkerProgress));
  std::fputs(ProvisionReportJson(report).constData(), stdout);
  return ProvisionReportExitCode(report);
}
