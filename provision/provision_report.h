// What `varnokctl apply` and `varnokctl backup` found, per device and per
// page: the report printed for people, the same as JSON for scripts, and the
// exit code it comes to. A child process of `apply --parallel` hands its
// report to the parent as JSON, so the JSON form reads back whole.
#pragma once

#include <QByteArray>

#include <string>
#include <vector>

enum class ProvisionStatus {
  kVerified,     // written, confirmed and read back equal (backup: read and saved)
  kConfirmed,    // written and confirmed, read-back not asked for (--no-verify)
  kRefused,      // the page or the file refused: nothing written for this page
  kNoAnswer,     // a line got no answer in time
  kDeviceError,  // the device answered a line with ERROR
  kPortLost,     // the port went away during this page
  kDiffers,      // read back, and some fields differ from what was written
  kNotDone,      // never started (stopped by Ctrl-C, or the port was gone)
  kNotInFile,    // apply: the file does not hold the page; nothing sent for it
};

// One field that differs: what the device holds (apply: read back) and what
// the file makes of it (apply: what was written).
struct ProvisionFieldDiff {
  std::string field;
  std::string device;
  std::string file;
};

struct ProvisionPageReport {
  std::string page;
  ProvisionStatus status = ProvisionStatus::kNotDone;
  bool sent = false;       // its set lines were queued (backup: its queries)
  bool confirmed = false;  // the device confirmed the Set (backup: the Read completed)
  bool verified = false;   // the read-back equals what was written (backup: saved)
  std::vector<ProvisionFieldDiff> diffs;
  std::vector<std::string> messages;  // what the page said meanwhile (refusal reasons)
  // The fields whose lines failed in the step that failed, with how
  // ("Server: device error", "QoS: no answer"), as the page's action kept them.
  std::vector<std::string> failed_fields;
  double seconds = 0;
};

struct ProvisionDeviceReport {
  std::string port;
  std::string error;  // the port could not be opened, or was lost: the reason
  int exit_code = 0;
  double seconds = 0;
  std::vector<ProvisionPageReport> pages;
};

struct ProvisionReport {
  std::string verb;  // "apply", "backup" or "diff"
  std::string file;
  std::vector<ProvisionDeviceReport> devices;
};

// A page that was not worked on (yet).
ProvisionPageReport ProvisionPageNotDone(const std::string &page);

// Exit code of one page's outcome (0 for verified and confirmed).
int ProvisionStatusExitCode(ProvisionStatus status);
// Words used for a status in both report forms ("verified", "no answer", ...).
const char *ProvisionStatusName(ProvisionStatus status);

// The device's exit code: the worst of its pages and of its own error; at
// least kExitRefused when no page was written because the file held none.
int ProvisionDeviceExitCode(const ProvisionDeviceReport &device);
// The worst code of all devices: what the verb exits with.
int ProvisionReportExitCode(const ProvisionReport &report);

// The human report: one line per page, then one summary line per device
// (diff: ProvisionDiffText).
std::string ProvisionReportText(const ProvisionReport &report);
// One difference, as diff and apply's read-back print it, control
// characters escaped: mqtt Server: device "a.example", file "b.example"
std::string ProvisionDiffLine(const std::string &page, const ProvisionFieldDiff &diff);
// diff's report: only the differences, one line each, then the pages that
// could not be compared with the reason, then one summary line per device.
std::string ProvisionDiffText(const ProvisionReport &report);
// The JSON report, and reading one back (false when it does not parse).
QByteArray ProvisionReportJson(const ProvisionReport &report);
bool ProvisionReportFromJson(const QByteArray &json, ProvisionReport &report);
