// One device's command port for `apply`, `backup` and `diff`: opens it, runs
// a page's Read or Set as `varnokctl read` and `set` do (each line's outcome
// judged by the command port against the line in flight) and tells how it
// went. Waits end at once when the port goes away.
#pragma once

#include <string>
#include <vector>

#include "provision/provision_port.h"

class DtuPage;

enum class ProvisionStep {
  kDone,         // every line answered / the device confirmed the Set
  kRefused,      // the page queued nothing (its message says why)
  kNoAnswer,     // a line got no answer of its own in time
  kDeviceError,  // the device answered a line with an error
  kFailed,       // the page could not use an answer (its message names the field)
  kPortLost,     // the port went away
};

class ProvisionLink {
 public:
  ProvisionLink(ProvisionPort &port, int timeout_ms) : port_(port), timeout_ms_(timeout_ms) {}

  // kExitOk, or the verb's exit code for a port that cannot be opened.
  int Open(const DtuSerialSettings &settings, std::string &error);
  bool Lost() const { return port_.Lost(); }
  std::string LostText() const { return port_.LostText(); }

  // `missing`: the keys a Read got no answer of their own for.
  ProvisionStep Read(DtuPage &page, std::vector<std::string> &missing);
  // Sends one query line of no page and waits for its outcome: kDone when
  // the device answered it (even with ERROR), kNoAnswer when the sender gave
  // up on it. Tells whether anything answers at all before a page starts.
  ProvisionStep Probe(const std::string &line);
  ProvisionStep Set(DtuPage &page);

 private:
  ProvisionStep Judged(ProvisionStep step);

  ProvisionPort &port_;
  int timeout_ms_;
};
