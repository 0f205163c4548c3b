#include "app/workbench/workbench_run.h"

#include <QDir>
#include <QTimer>

#include "app/shell/page_host.h"
#include "app/workbench/workbench_port.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "pages/dtu_page_catalog.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_store.h"
#include "provision/provision_backup_file.h"
#include "provision/provision_pages.h"
#include "provision/varnokctl_exit_codes.h"

namespace {

// The file as the run finds it, its messages kept out of message boxes.
bool LoadQuietly(const std::string &path, DtuConfig &config) {
  std::vector<std::string> said;
  const DtuMessageSink previous = DtuSetMessageSink([&](const std::string &text) { said.push_back(text); });
  const bool loaded = config.LoadFromFile(path);
  DtuSetMessageSink(previous);
  return loaded;
}

}  // namespace

const char *WorkbenchVerbName(WorkbenchVerb verb) {
  switch (verb) {
    case WorkbenchVerb::kRead: return "backup";
    case WorkbenchVerb::kWrite: return "apply";
    case WorkbenchVerb::kCompare: return "diff";
  }
  return "diff";
}

WorkbenchRun::WorkbenchRun(DtuPageHost &pages, DtuCmdPortPage &port, WorkbenchVerb verb, QObject *parent)
    : QObject(parent),
      pages_(pages),
      port_(port),
      verb_(verb),
      file_(DtuPageConfigPath()),
      port_name_(port.Settings().port) {
  names_ = ProvisionPageNames();
  DtuConfig file;
  if (verb_ == WorkbenchVerb::kWrite && LoadQuietly(file_, file)) ProvisionOrderForFile(names_, file);
  for (const std::string &name : names_) page_reports_.push_back(ProvisionPageNotDone(name));
}

DtuPage *WorkbenchRun::PageOf(const std::string &name) const {
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.cli_name != nullptr && name == row.cli_name) return pages_.LogicAs<DtuPage>(row.code);
  }
  return nullptr;
}

void WorkbenchRun::Start() {
  if (running_ || done_) return;
  running_ = true;
  QTimer::singleShot(0, this, &WorkbenchRun::Run);
}

ProvisionJob WorkbenchRun::Job() {
  ProvisionJob job;
  job.verb = WorkbenchVerbName(verb_);
  job.file = file_;
  job.pages = names_;
  job.serial = port_.Settings();
  job.stop = [this] { return cancel_; };
  job.stop_text = "stopped by the user";
  job.page_of = [this](const std::string &name) { return PageOf(name); };
  job.page_done = [this](int index, const ProvisionPageReport &report) {
    page_reports_.at(index) = report;
    emit PageEnded(index);
  };
  job.compared = [this](const std::string &page, const std::string &group,
                        const std::vector<ProvisionComparedField> &fields) {
    compared_.push_back({page, group, fields});
  };
  return job;
}

void WorkbenchRun::Run() {
  ProvisionJob job = Job();
  ProvisionBackupFile work(false);
  std::string error;
  ProvisionDeviceReport device;
  device.port = job.serial.port;
  DtuConfig file;
  bool ready = true;
  if (verb_ == WorkbenchVerb::kRead) {
    ready = work.Begin(file_, error);
    if (ready) DtuPageSetConfigPath(work.WorkPath());
  } else if (!LoadQuietly(file_, file)) {
    ready = false;
    error = "cannot read " + file_;
  } else if (verb_ == WorkbenchVerb::kCompare) {
    ready = work.Begin(file_, error, QDir::temp().filePath("varnok-compare").toStdString());
    job.scratch = work.WorkPath();
  }
  if (ready) {
    WorkbenchPort port(port_);
    device = ProvisionRunDevice(port, job, [this](int index, int, const std::string &) { emit PageStarted(index); });
  } else {
    device.exit_code = kExitRefused;
    device.error = error;
    for (const std::string &name : names_) device.pages.push_back(ProvisionPageNotDone(name));
  }
  DtuPageSetConfigPath(file_);
  report_ = ProvisionReport{job.verb, file_, {device}};
  if (verb_ == WorkbenchVerb::kRead && ready) {
    file_replaced_ = ProvisionReportExitCode(report_) == kExitOk && work.Commit(file_error_);
    if (!file_replaced_ && file_error_.empty()) file_error_ = "not every page was read and saved";
  }
  if (verb_ == WorkbenchVerb::kCompare) ShowDeviceValues();
  running_ = false;
  done_ = true;
  emit Finished();
}

// A compare leaves each page holding the file's values; the pages are put
// back to the device's, so that a page's Set writes what the device has
// plus the file's values taken in the compare view.
void WorkbenchRun::ShowDeviceValues() {
  for (const WorkbenchComparedPage &compared : compared_) {
    DtuPage *page = PageOf(compared.page);
    if (page == nullptr) continue;
    if (!compared.group.empty()) page->SelectGroup(compared.group);
    std::string why;
    for (const ProvisionComparedField &field : compared.fields) page->SetField(field.field, field.device, why);
    emit page->Changed();
  }
}
