// Drives a page without widgets: makes a page by its short name, runs its
// Read or Set and waits, with the event loop running, until the answers are
// in. varnokctl and the tests use it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/dtu_page.h"

// varnokctl's page names, in the catalog's order ("dataport", "devinfo",
// "net", ...).
std::vector<std::string> DtuPageNames();
// A new page object, or null for an unknown name.
std::unique_ptr<DtuPage> DtuCreatePage(const std::string &name);

enum class DtuPageRun {
  kDone,         // every line answered / the Set was confirmed
  kRefused,      // the page queued nothing (port closed, a field too long)
  kTimedOut,     // a line got no answer (or a Set got no confirming answer)
  kDeviceError,  // the device answered a line with an error
  kPortClosed,   // the port closed before every line was answered
};

// Runs the event loop until done() or the time-out; returns done().
bool DtuPageWaitUntil(const std::function<bool()> &done, int timeout_ms);

// True when no command waits in the ring and every command written since
// the port was opened has had an answer.
bool DtuCommandsDrained();

// A Read is done when every one of its lines has its outcome: the page then
// told the user what failed, by field.
DtuPageRun DtuPageRunRead(DtuPage &page, int timeout_ms);
// A Set likewise; every line answered without the answer that confirms the
// Set (a device that only says OK) counts as no answer.
DtuPageRun DtuPageRunSet(DtuPage &page, int timeout_ms);
