// The port one device's run works on. varnokctl opens a port of its own for
// each device (cli/cli_provision_port.h); the window lends the port its
// Config Port page holds open (app/workbench/workbench_port.h). Either way
// answers and outcomes reach the main thread's event loop through the
// port's DtuMainThreadDispatcher, which the page runs wait on.
#pragma once

#include <string>

#include "link/dtu_cmd_port.h"

class ProvisionPort {
 public:
  virtual ~ProvisionPort() = default;

  // kExitOk, or the exit code of a port that cannot be opened, with the
  // driver's words in `reason`.
  virtual int Open(const DtuSerialSettings &settings, std::string &reason) = 0;
  // The port went away (closed, the device unplugged) since it was opened.
  virtual bool Lost() const = 0;
  // Why it went, once known ("the port was closed: ..."); empty before.
  virtual std::string LostText() const = 0;
};
