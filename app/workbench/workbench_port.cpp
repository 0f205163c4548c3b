#include "app/workbench/workbench_port.h"

#include "base/dtu_lang.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "provision/varnokctl_exit_codes.h"

int WorkbenchPort::Open(const DtuSerialSettings &, std::string &reason) {
  opened_ = page_.IsOpen();
  if (opened_) return kExitOk;
  reason = DtuLangText(DtuTextId::kWorkbenchPortClosed);
  return kExitRefused;
}

bool WorkbenchPort::Lost() const { return opened_ && !page_.IsOpen(); }

std::string WorkbenchPort::LostText() const { return Lost() ? "the port was closed" : std::string(); }
