#include "app/fleet/fleet_apply_row.h"

void FleetApplyRowTake(const QJsonObject &device, FleetApplyRow &row) {
  row.state = device["state"].toString(row.state);
  row.pages_done = device["pages_done"].toInt(row.pages_done);
  row.pages_total = device["pages_total"].toInt(row.pages_total);
  row.attempts = device["attempts"].toInt(row.attempts);
  row.note = device["note"].toString();
  const QJsonObject failure = device["failure"].toObject();
  row.failed_field = failure["field"].toString();
  row.device_value = failure["device"].toString();
  row.file_value = failure["file"].toString();
  row.reason = failure["reason"].toString();
  if (device.contains("page"))
    row.page = device["page"].toString();
  else if (!FleetApplyRowFinal(row.state) || row.state == QLatin1String("SUCCEEDED"))
    row.page.clear();
  else
    row.page = failure["page"].toString();
}

bool FleetApplyRowFinal(const QString &state) {
  return state != QLatin1String("WAITING") && state != QLatin1String("RUNNING");
}

bool FleetApplyRowFailed(const QString &state) {
  return state == QLatin1String("FAILED") || state == QLatin1String("TIMED_OUT");
}
