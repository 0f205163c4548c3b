// varnokctl's port for one device of `backup`, `apply` and `diff` (and a
// fleet worker): a port session of its own, opened by the engine, and the
// engine's run on it, stopped between pages by a Ctrl-C.
#pragma once

#include <string>

#include "cli/cli_port_session.h"
#include "provision/provision_device.h"
#include "provision/provision_port.h"

class CliProvisionPort : public ProvisionPort {
 public:
  CliProvisionPort();

  int Open(const DtuSerialSettings &settings, std::string &reason) override;
  bool Lost() const override { return session_.Lost(); }
  std::string LostText() const override { return lost_text_; }

 private:
  CliPortSession session_;
  std::string lost_text_;
};

// ProvisionRunDevice on a CliProvisionPort, honouring Ctrl-C between pages.
ProvisionDeviceReport CliProvisionRunDevice(ProvisionJob job, const ProvisionProgress &progress);
