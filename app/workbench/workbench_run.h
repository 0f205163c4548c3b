// One whole-device run of the window's Device menu: Read All Pages (the
// engine's backup into the configuration file in use), Write All Pages (its
// apply from that file, every page read back and compared) or Compare with
// File (its diff), on the window's own page objects and its open port.
//
// The engine waits for each page as varnokctl does, running the event loop
// until the page's lines have their outcomes: the run starts from a queued
// call and the GUI thread keeps handling events (painting, the Cancel
// button) all along. Meanwhile the pages' own buttons are to be held
// (DeviceMenu disables the page area). Cancel stops the run before the
// next page, so no page is left half-written.
#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "provision/provision_device.h"
#include "provision/provision_report.h"

class DtuCmdPortPage;
class DtuPage;
class DtuPageHost;

enum class WorkbenchVerb { kRead, kWrite, kCompare };

// The fields of one page (one group of a page) as Compare with File saw them.
struct WorkbenchComparedPage {
  std::string page;   // varnokctl's name ("mqtt")
  std::string group;  // empty for a page of one group
  std::vector<ProvisionComparedField> fields;
};

class WorkbenchRun : public QObject {
  Q_OBJECT

 public:
  WorkbenchRun(DtuPageHost &pages, DtuCmdPortPage &port, WorkbenchVerb verb, QObject *parent = nullptr);

  WorkbenchVerb Verb() const { return verb_; }
  // The pages in the order they run (Write: the Modbus pair as the file needs).
  const std::vector<std::string> &PageNames() const { return names_; }
  const std::string &File() const { return file_; }
  const std::string &Port() const { return port_name_; }

  // Starts the run from the event loop; returns at once.
  void Start();
  // Asks the run to stop before its next page.
  void Cancel() { cancel_ = true; }
  bool CancelAsked() const { return cancel_; }
  bool Running() const { return running_; }
  bool Done() const { return done_; }

  // Once Done(): what the engine reported (one device), and for Read
  // whether the file was replaced (only when every page was read and saved)
  // or why not.
  const ProvisionReport &Report() const { return report_; }
  const ProvisionDeviceReport &Device() const { return report_.devices.front(); }
  bool FileReplaced() const { return file_replaced_; }
  const std::string &FileError() const { return file_error_; }
  const std::vector<WorkbenchComparedPage> &Compared() const { return compared_; }
  // The page's report while the run goes (not done until it ended).
  const ProvisionPageReport &PageReport(int index) const { return page_reports_.at(index); }

  // The window's page object of a varnokctl name, null when it has none.
  DtuPage *PageOf(const std::string &name) const;

 signals:
  void PageStarted(int index);
  void PageEnded(int index);
  void Finished();

 private:
  void Run();
  ProvisionJob Job();
  void ShowDeviceValues();

  DtuPageHost &pages_;
  DtuCmdPortPage &port_;
  WorkbenchVerb verb_;
  std::string file_;
  std::string port_name_;
  std::vector<std::string> names_;
  std::vector<ProvisionPageReport> page_reports_;
  std::vector<WorkbenchComparedPage> compared_;
  ProvisionReport report_;
  bool cancel_ = false;
  bool running_ = false;
  bool done_ = false;
  bool file_replaced_ = false;
  std::string file_error_;
};

// "backup", "apply" or "diff": the engine's verb of a window action.
const char *WorkbenchVerbName(WorkbenchVerb verb);
