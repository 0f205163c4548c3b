// The window's port lent to the provisioning engine: the one the Config Port
// page holds open. The engine opens nothing: a port that is not open is
// refused with a word on where to open it, and the port counts as lost once
// the page closed it (the user, or the device going away).
#pragma once

#include <string>

#include "provision/provision_port.h"

class DtuCmdPortPage;

class WorkbenchPort : public ProvisionPort {
 public:
  explicit WorkbenchPort(DtuCmdPortPage &page) : page_(page) {}

  int Open(const DtuSerialSettings &settings, std::string &reason) override;
  bool Lost() const override;
  std::string LostText() const override;

 private:
  DtuCmdPortPage &page_;
  bool opened_ = false;
};
