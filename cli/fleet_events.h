// With --events, a fleet apply tells each change of a device's state as it
// happens, for a program that shows the run (the window's fleet apply): one
// JSON object a line on standard error, the device as the report has it
// (FleetDeviceJson) with, while it is worked on, "state": "RUNNING" and the
// page its worker started ("page", "page_number" from 1), and "WAITING" when
// another attempt is to come. The final line of a device carries its final
// state. Lines of other kinds on standard error are messages for people.
#pragma once

#include <string>

#include "cli/fleet_report.h"

class FleetEvents {
 public:
  explicit FleetEvents(bool enabled) : enabled_(enabled) {}
  void Running(const FleetDeviceResult &device, const std::string &page, int page_number) const;
  void Waiting(const FleetDeviceResult &device) const;
  void Final(const FleetDeviceResult &device) const;

 private:
  void Write(const QJsonObject &line) const;
  bool enabled_;
};
