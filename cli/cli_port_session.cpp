#include "cli/cli_port_session.h"

#include <cstdio>

#include "cli/verb_registry.h"
#include "link/serial_error.h"

CliPortSession::CliPortSession() {
  dispatcher_.AttachTo(port_);
  connect(&dispatcher_, &DtuMainThreadDispatcher::PortLost, this, [this](const QString &text) {
    std::fprintf(stderr, "varnokctl: %s\n", text.toStdString().c_str());
    lost_ = true;
    emit PortLost();
  });
}

CliPortSession::~CliPortSession() {
  port_.Close();
  DtuMainThreadDispatcher::DetachFrom(port_);
}

int CliPortSession::Open(const DtuSerialSettings &settings) {
  std::string error;
  if (port_.DtuCmdPortOpen(settings, error)) return kExitOk;
  std::fprintf(stderr, "varnokctl: cannot open %s: %s\n", settings.port.c_str(), error.c_str());
  return error == DtuSerialErrorText(kSerialAccessDenied) ? kExitPortInUse : kExitPortOpenFailed;
}
