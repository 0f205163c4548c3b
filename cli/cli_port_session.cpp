#include "cli/cli_port_session.h"

#include <cstdio>

#include "base/dtu_lang.h"
#include "cli/verb_registry.h"

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

int CliPortSession::Open(const DtuSerialSettings &settings, std::string *reason) {
  std::string error;
  if (port_.DtuCmdPortOpen(settings, error)) return kExitOk;
  if (reason) *reason = error;
  std::fprintf(stderr, "varnokctl: cannot open %s: %s\n", settings.port.c_str(), error.c_str());
  switch (port_.LastOpenFailure()) {
    case DtuPortOpenFailure::kInUse:
      std::fprintf(stderr, "varnokctl: %s\n", DtuLangText(DtuTextId::kPortInUseByOther));
      return kExitPortInUse;
    case DtuPortOpenFailure::kNoPermission:
      std::fprintf(stderr, "varnokctl: %s\n", DtuLangText(DtuTextId::kPortAccessDenied));
      return kExitRefused;
    default:
      return kExitRefused;
  }
}
