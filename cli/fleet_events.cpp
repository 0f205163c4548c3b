#include "cli/fleet_events.h"

#include <QJsonDocument>

#include <cstdio>

void FleetEvents::Running(const FleetDeviceResult &device, const std::string &page, int page_number) const {
  if (!enabled_) return;
  QJsonObject line = FleetDeviceJson(device);
  line["state"] = "RUNNING";
  line.remove("failure");
  line["page"] = QString::fromStdString(page);
  line["page_number"] = page_number;
  Write(line);
}

void FleetEvents::Waiting(const FleetDeviceResult &device) const {
  if (!enabled_) return;
  QJsonObject line = FleetDeviceJson(device);
  line["state"] = "WAITING";
  Write(line);
}

void FleetEvents::Final(const FleetDeviceResult &device) const {
  if (enabled_) Write(FleetDeviceJson(device));
}

void FleetEvents::Write(const QJsonObject &line) const {
  const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}
