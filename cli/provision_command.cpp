#include "cli/provision_command.h"

#include <QDir>

#include <cstdio>
#include <cstring>

#include "cli/cli_provision_port.h"
#include "cli/provision_options.h"
#include "cli/provision_parallel.h"
#include "cli/provision_progress.h"
#include "cli/provision_stop.h"
#include "cli/verb_registry.h"
#include "config/dtu_config.h"
#include "pages/kit/dtu_page_store.h"
#include "provision/provision_backup_file.h"

namespace {

bool WantsHelp(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

ProvisionJob JobFor(const ProvisionOptions &o, const std::string &port) {
  ProvisionJob job;
  job.verb = o.verb;
  job.file = o.file;
  job.pages = o.pages;
  job.serial = o.serial;
  job.serial.port = port;
  job.timeout_ms = o.timeout_ms;
  job.verify = o.verify;
  job.scratch = o.scratch;
  return job;
}

// A device that was never started: every page is "not done".
ProvisionDeviceReport NotStarted(const ProvisionOptions &o, const std::string &port) {
  ProvisionDeviceReport device;
  device.port = port;
  device.exit_code = kExitInterrupted;
  device.error = "stopped by Ctrl-C before this device";
  for (const std::string &name : o.pages) device.pages.push_back(ProvisionPageNotDone(name));
  return device;
}

std::vector<ProvisionDeviceReport> RunOneAfterAnother(const ProvisionOptions &o, ProvisionProgressLine &line) {
  std::vector<ProvisionDeviceReport> devices;
  const int count = static_cast<int>(o.ports.size());
  for (int d = 0; d < count; ++d) {
    if (ProvisionStopRequested()) {
      devices.push_back(NotStarted(o, o.ports[d]));
      continue;
    }
    devices.push_back(CliProvisionRunDevice(JobFor(o, o.ports[d]), [&](int index, int pages, const std::string &name) {
      line.Show(d + 1, count, index + 1, pages, name);
    }));
  }
  return devices;
}

int RunWorker(const ProvisionOptions &o) {
  ProvisionReport report{o.verb, o.file, {}};
  report.devices.push_back(CliProvisionRunDevice(JobFor(o, o.ports[0]), ProvisionWorkerProgress));
  std::fputs(ProvisionReportJson(report).constData(), stdout);
  return ProvisionReportExitCode(report);
}


// diff saves the device's pages into a scratch copy of the file, in the
// temporary directory: the file's own directory may be read-only.
bool MakeScratch(ProvisionOptions &o, ProvisionBackupFile &scratch, std::string &error) {
  if (!scratch.Begin(o.file, error, QDir::temp().filePath("varnokctl-diff").toStdString())) return false;
  o.scratch = scratch.WorkPath();
  return true;
}

}  // namespace

int RunProvisionVerb(const char *verb, int argc, char **argv) {
  if (WantsHelp(argc, argv)) {
    std::fputs(ProvisionHelp(verb).c_str(), stdout);
    return kExitOk;
  }
  ProvisionOptions o;
  std::string error;
  if (!ParseProvisionOptions(verb, argc, argv, o, error)) {
    std::fprintf(stderr, "varnokctl %s: %s\n%s", verb, error.c_str(), ProvisionHelp(verb).c_str());
    return kExitUsage;
  }
  // backup saves into a working copy that replaces FILE only once every page
  // was saved; apply and diff read FILE itself and need it to load, and diff
  // saves the device into a scratch copy.
  ProvisionBackupFile work;
  if (o.verb == "backup") {
    if (!work.Begin(o.file, error)) {
      std::fprintf(stderr, "varnokctl backup: %s\n", error.c_str());
      return kExitRefused;
    }
    DtuPageSetConfigPath(work.WorkPath());
  } else {
    DtuConfig config;
    if (!config.LoadFromFile(o.file)) return kExitRefused;  // the store said why
    DtuPageSetConfigPath(o.file);
    if (o.verb == "diff" && !MakeScratch(o, work, error)) {
      std::fprintf(stderr, "varnokctl diff: %s\n", error.c_str());
      return kExitRefused;
    }
  }
  const bool parallel = o.parallel && o.ports.size() > 1;
  ProvisionInstallStopHandler(!parallel);
  if (o.worker) return RunWorker(o);
  ProvisionReport report{o.verb, o.file, {}};
  {
    ProvisionProgressLine line;
    report.devices = parallel ? ProvisionRunParallel(o, line) : RunOneAfterAnother(o, line);
  }
  int code = ProvisionReportExitCode(report);
  if (o.verb == "backup" && code == kExitOk && !work.Commit(error)) code = kExitRefused;
  const std::string text = o.json ? ProvisionReportJson(report).toStdString() : ProvisionReportText(report);
  std::fputs(text.c_str(), stdout);
  if (!error.empty()) std::fprintf(stderr, "varnokctl backup: %s\n", error.c_str());
  return code;
}
