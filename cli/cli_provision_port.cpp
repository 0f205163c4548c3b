#include "cli/cli_provision_port.h"

#include "cli/provision_stop.h"

CliProvisionPort::CliProvisionPort() {
  QObject::connect(&session_.Dispatcher(), &DtuMainThreadDispatcher::PortLost, &session_,
                   [this](const QString &text) { lost_text_ = text.toStdString(); });
}

int CliProvisionPort::Open(const DtuSerialSettings &settings, std::string &reason) {
  return session_.Open(settings, &reason);
}

ProvisionDeviceReport CliProvisionRunDevice(ProvisionJob job, const ProvisionProgress &progress) {
  job.stop = ProvisionStopRequested;
  job.stop_text = "stopped by Ctrl-C";
  CliProvisionPort port;
  return ProvisionRunDevice(port, job, progress);
}
