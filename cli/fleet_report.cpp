#include "cli/fleet_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "base/dtu_printable.h"
#include "cli/verb_registry.h"
#include "config/dtu_file_io.h"

namespace {

struct StateRow {
  FleetState state;
  const char *name;
};
const StateRow kStates[] = {{FleetState::kSucceeded, "SUCCEEDED"},
                            {FleetState::kFailed, "FAILED"},
                            {FleetState::kTimedOut, "TIMED_OUT"},
                            {FleetState::kNotStarted, "NOT_STARTED"},
                            {FleetState::kCanceled, "CANCELED"}};

QString Q(const std::string &text) { return QString::fromStdString(text); }

std::string ValuesText(const FleetValues &values) {
  std::string text;
  for (const auto &[name, value] : values) text += (text.empty() ? "" : "; ") + name + "=" + value;
  return text;
}

std::string FailureText(const FleetFailure &f) {
  if (f.reason.empty()) return std::string();
  std::string text = f.page.empty() ? std::string() : f.page + (f.field.empty() ? "" : " " + f.field) + ": ";
  if (!f.field.empty() && (!f.device.empty() || !f.file.empty())) {
    text += "device \"" + DtuEscapeControl(f.device) + "\", file \"" + DtuEscapeControl(f.file) + "\"; ";
  }
  return text + f.reason;
}

}  // namespace

const char *FleetStateName(FleetState state) {
  for (const StateRow &row : kStates) {
    if (row.state == state) return row.name;
  }
  return "NOT_STARTED";
}

bool FleetStateOfName(const std::string &name, FleetState &state) {
  for (const StateRow &row : kStates) {
    if (name == row.name) {
      state = row.state;
      return true;
    }
  }
  return false;
}

int FleetReportExitCode(const FleetReport &report) {
  int code = kExitOk;
  for (const FleetDeviceResult &d : report.devices) code = std::max(code, d.exit_code);
  return code;
}

std::string FleetReportText(const FleetReport &report) {
  std::ostringstream out;
  std::map<FleetState, int> counts;
  for (const FleetDeviceResult &d : report.devices) {
    ++counts[d.state];
    char head[96];
    std::snprintf(head, sizeof head, "%s %-11s %d/%d pages, %d attempt%s, %.1f s", d.imei.c_str(),
                  FleetStateName(d.state), d.pages_done, d.pages_total, d.attempts, d.attempts == 1 ? "" : "s",
                  d.seconds);
    out << head;
    std::vector<std::string> parts;
    const std::string failure = d.state != FleetState::kSucceeded ? FailureText(d.failure) : std::string();
    if (!failure.empty()) parts.push_back(failure);
    if (!d.note.empty()) parts.push_back(d.note);
    for (size_t i = 0; i < parts.size(); ++i) out << (i == 0 ? ": " : "; ") << parts[i];
    out << "\n";
    if (!d.values.empty()) out << "    values: " << ValuesText(d.values) << "\n";
  }
  out << report.devices.size() << " devices:";
  for (const StateRow &row : kStates) {
    if (counts[row.state] > 0) out << " " << counts[row.state] << " " << row.name;
  }
  out << (report.stopped.empty() ? "" : "; " + report.stopped) << " (exit " << FleetReportExitCode(report) << ")\n";
  return out.str();
}

QJsonObject FleetDeviceJson(const FleetDeviceResult &d) {
  QJsonArray verified;
  for (const std::string &p : d.pages_verified) verified.append(Q(p));
  QJsonObject values;
  for (const auto &[name, value] : d.values) values[Q(name)] = Q(value);
  QJsonObject device{{"imei", Q(d.imei)},
                     {"state", FleetStateName(d.state)},
                     {"pages_done", d.pages_done},
                     {"pages_total", d.pages_total},
                     {"pages_verified", verified},
                     {"attempts", d.attempts},
                     {"seconds", d.seconds},
                     {"exit_code", d.exit_code},
                     {"values", values}};
  if (d.state != FleetState::kSucceeded) {
    device["failure"] = QJsonObject{{"page", Q(d.failure.page)},
                                    {"field", Q(d.failure.field)},
                                    {"device", Q(d.failure.device)},
                                    {"file", Q(d.failure.file)},
                                    {"reason", Q(d.failure.reason)}};
  }
  if (!d.note.empty()) device["note"] = Q(d.note);
  return device;
}

QByteArray FleetReportJson(const FleetReport &report) {
  QJsonArray devices;
  std::map<FleetState, int> counts;
  for (const FleetDeviceResult &d : report.devices) {
    ++counts[d.state];
    devices.append(FleetDeviceJson(d));
  }
  QJsonObject summary;
  for (const StateRow &row : kStates) summary[row.name] = counts[row.state];
  QJsonObject root{{"verb", "apply"},
                   {"cloud", true},
                   {"file", Q(report.file)},
                   {"exit_code", FleetReportExitCode(report)},
                   {"stopped", Q(report.stopped)},
                   {"summary", summary},
                   {"devices", devices}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::string FleetReportCsv(const FleetReport &report) {
  std::ostringstream out;
  out << "imei,state,pages_done,pages_total,failed_page,failed_field,device_value,file_value,reason,attempts,"
         "seconds,values\n";
  for (const FleetDeviceResult &d : report.devices) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", d.seconds);
    const bool failed = d.state != FleetState::kSucceeded;
    std::string reason = failed ? d.failure.reason : std::string();
    if (!d.note.empty()) reason += (reason.empty() ? "" : "; ") + d.note;
    const std::vector<std::string> cells = {d.imei,
                                            FleetStateName(d.state),
                                            std::to_string(d.pages_done),
                                            std::to_string(d.pages_total),
                                            failed ? d.failure.page : "",
                                            failed ? d.failure.field : "",
                                            failed ? d.failure.device : "",
                                            failed ? d.failure.file : "",
                                            reason,
                                            std::to_string(d.attempts),
                                            seconds,
                                            ValuesText(d.values)};
    for (size_t i = 0; i < cells.size(); ++i) out << (i ? "," : "") << FleetCsvCell(cells[i]);
    out << "\n";
  }
  return out.str();
}

bool FleetResumeImeis(const std::string &path, std::vector<std::string> &imeis, std::string &error) {
  std::string bytes, why;
  if (DtuReadWholeFile(path, bytes, &why) != DtuFileRead::kOk) {
    error = "cannot read the report " + path + (why.empty() ? "" : ": " + why);
    return false;
  }
  QJsonParseError parse;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &parse);
  if (parse.error != QJsonParseError::NoError || !doc.isObject() || !doc.object()["devices"].isArray()) {
    error = path + " is not a JSON report of apply --cloud (--json)";
    return false;
  }
  imeis.clear();
  for (const QJsonValue &v : doc.object()["devices"].toArray()) {
    const QJsonObject device = v.toObject();
    const std::string imei = device["imei"].toString().toStdString();
    FleetState state;
    if (imei.empty() || !FleetStateOfName(device["state"].toString().toStdString(), state)) {
      error = path + ": a device without an IMEI or a known state";
      return false;
    }
    if (state != FleetState::kSucceeded) imeis.push_back(imei);
  }
  return true;
}
