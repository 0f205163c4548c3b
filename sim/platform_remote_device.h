// A whole simulated remote device of the platform: a simulated DTU on its own
// pseudo-terminal, reached through the broker on the device's topics.
#pragma once

#include <memory>
#include <string>

#include "sim/dtu_sim.h"
#include "sim/platform_remote_dtu.h"

class PlatformRemoteDevice {
 public:
  explicit PlatformRemoteDevice(const DtuSimOptions &options = DtuSimOptions());
  ~PlatformRemoteDevice();

  // Starts the simulated DTU, then its link to the broker. False with
  // error_text on failure.
  bool Start(const std::string &broker_host, int broker_port, const std::string &product_key,
             const std::string &imei, std::string &error_text);
  void Stop();

  DtuSim &Device() { return *device_; }
  PlatformRemoteDtu &Link() { return link_; }

 private:
  std::unique_ptr<DtuSim> device_;
  PlatformRemoteDtu link_;
};
