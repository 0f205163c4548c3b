// Drives a page without widgets: makes a page by its short name, runs its
// Read or Set and waits, with the event loop running, until the answers are
// in. varnokctl and the tests use it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/kit/dtu_page.h"

// varnokctl's page names, in the catalog's order ("dataport", "devinfo",
// "net", ...).
std::vector<std::string> DtuPageNames();
// A new page object, or null for an unknown name.
std::unique_ptr<DtuPage> DtuCreatePage(const std::string &name);

enum class DtuPageRun {
  kDone,         // every line answered / the Set was confirmed
  kRefused,      // the page queued nothing (port closed, a field too long)
  kTimedOut,     // a line got no answer (or a Set got no confirming answer)
  kIncomplete,   // a Read whose queries did not all get an answer of their own
  kPortClosed,   // the port closed (the device went away) while waiting
  kDeviceError,  // the device answered a line with an error
  kFailed,       // the page ended its Read or Set with a failure it reported
};

// Runs the event loop until done() or the time-out; returns done().
bool DtuPageWaitUntil(const std::function<bool()> &done, int timeout_ms);
// How often the wait asks its condition (default and least 5 ms). A slower
// tick also asks it whenever the events that came in were handled, so an
// answer still ends a wait at once; a process of a hundred waiting at once
// (a fleet's workers) spends its CPU on the work instead of on the ticks.
void DtuPageSetWaitTickMs(int ms);

// True when no command waits in the ring and every command written since
// the port was opened has had an answer.
bool DtuCommandsDrained();

// A Read is done when every query got an outcome; it is complete only when
// each query got an answer of its own (DtuReadWatch): otherwise kIncomplete,
// with the keys that got none in `missing`, because the page's fields then
// hold blanks or cut values that must not be shown or written back.
DtuPageRun DtuPageRunRead(DtuPage &page, int timeout_ms, std::vector<std::string> *missing = nullptr);
// A Set is done when the device confirmed it; once every line has had an
// answer without that, no confirmation can come and it has timed out.
DtuPageRun DtuPageRunSet(DtuPage &page, int timeout_ms);
