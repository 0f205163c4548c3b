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
  kDone,      // the answers are in / the Set was confirmed
  kRefused,   // the page queued nothing (port closed, a field too long)
  kTimedOut,  // the last answer did not come in time
};

// Runs the event loop until done() or the time-out; returns done().
bool DtuPageWaitUntil(const std::function<bool()> &done, int timeout_ms);

// True when no command waits in the ring and every command written since
// the port was opened has had an answer.
bool DtuCommandsDrained();

// A Read is done when the answer to its last query arrived, or when every
// query has had its answer: an answer with an empty value ("key :") matches
// no prefix and never reaches the page, and the fields it leaves stay empty.
DtuPageRun DtuPageRunRead(DtuPage &page, int timeout_ms);
// A Set is done when the device confirmed it; once every line has had an
// answer without that, no confirmation can come and it has timed out.
DtuPageRun DtuPageRunSet(DtuPage &page, int timeout_ms);
