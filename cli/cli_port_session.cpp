#include "cli/cli_port_session.h"

#include <QMetaObject>

#include <cstdio>

#include "cli/verb_registry.h"
#include "link/serial_error.h"

CliPortSession::CliPortSession() {
  port_.SetChunkDispatcher(dispatcher_.Dispatcher());
  port_.SetPortLostHandler([this](const std::string &text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          std::fprintf(stderr, "varnokctl: %s\n", text.c_str());
          lost_ = true;
          emit PortLost();
        },
        Qt::QueuedConnection);
  });
}

CliPortSession::~CliPortSession() {
  port_.Close();
  port_.SetChunkDispatcher(nullptr);
  port_.SetPortLostHandler(nullptr);
}

int CliPortSession::Open(const DtuSerialSettings &settings) {
  std::string error;
  if (port_.DtuCmdPortOpen(settings, error)) return kExitOk;
  std::fprintf(stderr, "varnokctl: cannot open %s: %s\n", settings.port.c_str(), error.c_str());
  return error == DtuSerialErrorText(kSerialAccessDenied) ? kExitPortInUse : kExitPortOpenFailed;
}
