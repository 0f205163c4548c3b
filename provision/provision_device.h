// One device's share of `apply` or `backup`, run in this process: the port
// is opened, each chosen page is worked through in tree order, and the
// outcome of every page is reported.
//
// apply, per page: Read (so the settings the file does not carry keep what
// the device holds), Read Local from the file, Set with the page's own
// checks, wait for the device's confirmation, then Read again and compare
// every field with what was written.
// backup, per page: Read, then Save to Local into the file.
// diff, per page: Read, Save to Local into a scratch copy of the file and
// Read Local from it (the device as a backup into the file would keep it),
// then Read Local from the file, and compare.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/dtu_cmd_port.h"
#include "provision/provision_report.h"

class DtuPage;
class ProvisionLink;
class ProvisionPort;

// One field of a page that diff compared.
struct ProvisionComparedField {
  std::string field;
  std::string device;  // as the device's Read gave it
  std::string file;    // as Read Local from the file gave it
  bool differs;        // diff counts it a difference (ends trimmed, as a backup would keep it)
};

struct ProvisionJob {
  std::string verb;                // "apply", "backup" or "diff"
  std::string file;                // the configuration file
  std::vector<std::string> pages;  // varnokctl page names, in tree order
  DtuSerialSettings serial;
  int timeout_ms = 20000;          // per step of a page (Read, Set, read-back)
  bool verify = true;              // apply: read back and compare
  std::string scratch;             // diff: a copy of the file the device's pages are saved into

  // A fleet's device (cli/fleet_*) beside the above:
  // run on each page right after Read Local from the file, before the page
  // is written (apply) or compared (diff): the device's own values. False
  // (with the reason) refuses the page: nothing of it is written.
  std::function<bool(DtuPage &page, std::string &why)> adjust;
  // Asked once the port is open, before the first page: false (with the
  // reason) ends the device with no page started and kExitNoAnswer.
  std::function<bool(ProvisionLink &link, std::string &why)> probe;
  // Stop at the first page that did not end well; the pages after it stay
  // "not done".
  bool stop_at_first_failure = false;

  // Asked before each page: true ends the run there (no page is left
  // half-written) with kExitInterrupted and `stop_text` as the device's
  // error. varnokctl asks whether a Ctrl-C came.
  std::function<bool()> stop;
  std::string stop_text = "stopped";

  // The window's own page objects: the page of a name (null: the page is
  // refused). Without it each page is made for the run and goes after it.
  std::function<DtuPage *(const std::string &name)> page_of;
  // Told after each page ended: its index and its report.
  std::function<void(int index, const ProvisionPageReport &report)> page_done;
  // diff, after each page (each group of a page) was compared: every field
  // as the device had it and as the file has it, in the page's order.
  std::function<void(const std::string &page, const std::string &group,
                     const std::vector<ProvisionComparedField> &fields)>
      compared;
};

// Told before each page starts: its index (from 0), the number of pages and
// its name.
using ProvisionProgress = std::function<void(int index, int count, const std::string &page)>;

// The pages are worked through one after the other on `port` (opened here
// with the job's settings); a stop is honoured between pages, and a lost
// port ends the run (the pages left are "not done"). The pages' messages
// land in the report, not on the terminal or in a message box.
ProvisionDeviceReport ProvisionRunDevice(ProvisionPort &port, const ProvisionJob &job,
                                         const ProvisionProgress &progress);
