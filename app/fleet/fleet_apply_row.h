// One device's row of a fleet apply in the window, as varnokctl's events and
// JSON report (`apply --cloud --json`) tell it.
#pragma once

#include <QJsonObject>
#include <QString>

struct FleetApplyRow {
  QString imei;
  QString state = QStringLiteral("WAITING");  // WAITING, RUNNING, or a report state (SUCCEEDED, ...)
  QString page;                               // the page in work, else the failed page
  int pages_done = 0;
  int pages_total = 0;
  int attempts = 0;
  QString failed_field;
  QString device_value;
  QString file_value;
  QString reason;
  QString note;
};

// Takes what a report device (or an event line) says into `row`.
void FleetApplyRowTake(const QJsonObject &device, FleetApplyRow &row);
// Whether the state is one a device ends in.
bool FleetApplyRowFinal(const QString &state);
bool FleetApplyRowFailed(const QString &state);  // FAILED or TIMED_OUT
