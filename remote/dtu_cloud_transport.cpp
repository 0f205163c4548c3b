#include "remote/dtu_cloud_transport.h"

#include "link/dtu_cmd_transport.h"
#include "remote/dtu_cloud_cmd_driver.h"

const char kDtuCloudPortScheme[] = "cloud";

std::string DtuCloudPortName(const std::string &imei) { return std::string(kDtuCloudPortScheme) + ":" + imei; }

void DtuCloudTransportInstall(const DtuCloudTransportSettings &settings) {
  DtuCmdRegisterTransport(kDtuCloudPortScheme,
                          [settings] { return std::make_unique<DtuCloudCmdDriver>(settings); });
}

void DtuCloudTransportRemove() { DtuCmdRegisterTransport(kDtuCloudPortScheme, nullptr); }
