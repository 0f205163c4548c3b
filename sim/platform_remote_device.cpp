#include "sim/platform_remote_device.h"

PlatformRemoteDevice::PlatformRemoteDevice(const DtuSimOptions &options)
    : device_(std::make_unique<DtuSim>(options)) {}

PlatformRemoteDevice::~PlatformRemoteDevice() { Stop(); }

bool PlatformRemoteDevice::Start(const std::string &broker_host, int broker_port,
                                 const std::string &product_key, const std::string &imei,
                                 std::string &error_text) {
  if (!device_->Start(&error_text)) return false;
  // The simulated DTU reports the IMEI it is listed under.
  device_->Store().SetValue("imei", imei);
  return link_.Start(broker_host, broker_port, product_key, imei, device_->SlavePath(),
                     error_text);
}

void PlatformRemoteDevice::Stop() {
  link_.Stop();
  device_->Stop();
}
