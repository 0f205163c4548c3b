#include "provision/provision_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "base/dtu_printable.h"
#include "provision/varnokctl_exit_codes.h"
#include "provision/varnokctl_outcome.h"

namespace {


void AppendPageLine(std::ostringstream &out, const std::string &verb, const ProvisionPageReport &page) {
  char head[64];
  std::snprintf(head, sizeof head, "  %-12s", page.page.c_str());
  out << head;
  if (verb == "backup") {
    out << (page.confirmed ? "read" : "not read") << ", " << (page.verified ? "saved" : "not saved");
  } else {
    out << (page.sent ? "sent" : "not sent") << ", " << (page.confirmed ? "confirmed" : "not confirmed") << ", "
        << (page.verified ? "verified" : "not verified");
  }
  out << ": " << ProvisionStatusName(page.status) << "\n";
  for (const ProvisionFieldDiff &d : page.diffs) out << "      " << ProvisionDiffLine(page.page, d) << "\n";
  if (page.status != ProvisionStatus::kVerified && page.status != ProvisionStatus::kConfirmed) {
    for (const std::string &m : page.messages) out << "      " << m << "\n";
  }
}

std::string DeviceSummary(const std::string &verb, const ProvisionDeviceReport &device) {
  const int good = static_cast<int>(std::count_if(device.pages.begin(), device.pages.end(), [](const auto &p) {
    return p.status == ProvisionStatus::kVerified || p.status == ProvisionStatus::kConfirmed;
  }));
  std::ostringstream out;
  out << device.port << ": " << good << " of " << device.pages.size() << " pages "
      << (verb == "backup" ? "saved" : "done");
  const auto absent = std::count_if(device.pages.begin(), device.pages.end(),
                                    [](const auto &p) { return p.status == ProvisionStatus::kNotInFile; });
  if (absent > 0) out << "; " << absent << " not in the file";
  const int code = ProvisionDeviceExitCode(device);
  if (!device.error.empty()) out << "; " << device.error;
  char tail[48];
  std::snprintf(tail, sizeof tail, " (%.1f s, exit %d)", device.seconds, code);
  out << (code == kExitOk ? "; ok" : "") << tail << "\n";
  return out.str();
}

QJsonObject PageJson(const ProvisionPageReport &page) {
  QJsonArray diffs;
  for (const ProvisionFieldDiff &d : page.diffs) {
    diffs.append(QJsonObject{{"field", QString::fromStdString(d.field)},
                             {"device", QString::fromStdString(d.device)},
                             {"file", QString::fromStdString(d.file)}});
  }
  QJsonArray messages;
  for (const std::string &m : page.messages) messages.append(QString::fromStdString(m));
  QJsonArray failed_fields;
  for (const std::string &f : page.failed_fields) failed_fields.append(QString::fromStdString(f));
  return QJsonObject{{"page", QString::fromStdString(page.page)},
                     {"failed_fields", failed_fields},
                     {"status", ProvisionStatusName(page.status)},
                     {"sent", page.sent},
                     {"confirmed", page.confirmed},
                     {"verified", page.verified},
                     {"differences", diffs},
                     {"messages", messages},
                     {"seconds", page.seconds}};
}

bool PageFromJson(const QJsonObject &o, ProvisionPageReport &page) {
  page.page = o["page"].toString().toStdString();
  if (page.page.empty()) return false;
  if (!VarnokProvisionStatusOfText(o["status"].toString().toStdString(), page.status)) return false;
  page.sent = o["sent"].toBool();
  page.confirmed = o["confirmed"].toBool();
  page.verified = o["verified"].toBool();
  page.seconds = o["seconds"].toDouble();
  for (const QJsonValue &d : o["differences"].toArray()) {
    const QJsonObject diff = d.toObject();
    page.diffs.push_back({diff["field"].toString().toStdString(), diff["device"].toString().toStdString(),
                          diff["file"].toString().toStdString()});
  }
  for (const QJsonValue &m : o["messages"].toArray()) page.messages.push_back(m.toString().toStdString());
  for (const QJsonValue &f : o["failed_fields"].toArray()) page.failed_fields.push_back(f.toString().toStdString());
  return true;
}

QJsonObject DeviceJson(const ProvisionDeviceReport &device) {
  QJsonArray pages;
  for (const ProvisionPageReport &page : device.pages) pages.append(PageJson(page));
  return QJsonObject{{"port", QString::fromStdString(device.port)},
                     {"exit_code", ProvisionDeviceExitCode(device)},
                     {"error", QString::fromStdString(device.error)},
                     {"seconds", device.seconds},
                     {"pages", pages}};
}

bool DeviceFromJson(const QJsonObject &o, ProvisionDeviceReport &device) {
  device.port = o["port"].toString().toStdString();
  device.error = o["error"].toString().toStdString();
  device.exit_code = o["exit_code"].toInt(-1);
  device.seconds = o["seconds"].toDouble();
  if (device.port.empty() || device.exit_code < 0) return false;
  for (const QJsonValue &p : o["pages"].toArray()) {
    ProvisionPageReport page;
    if (!PageFromJson(p.toObject(), page)) return false;
    device.pages.push_back(page);
  }
  return true;
}

}  // namespace

ProvisionPageReport ProvisionPageNotDone(const std::string &page) {
  ProvisionPageReport report;
  report.page = page;
  return report;
}

int ProvisionStatusExitCode(ProvisionStatus status) { return VarnokProvisionOutcome(status).exit_code; }

const char *ProvisionStatusName(ProvisionStatus status) { return VarnokProvisionOutcome(status).text; }

int ProvisionDeviceExitCode(const ProvisionDeviceReport &device) {
  int code = device.exit_code;
  bool sent = false;
  bool not_in_file = false;
  for (const ProvisionPageReport &page : device.pages) {
    code = std::max(code, ProvisionStatusExitCode(page.status));
    sent = sent || page.sent;
    not_in_file = not_in_file || page.status == ProvisionStatus::kNotInFile;
  }
  return not_in_file && !sent ? std::max(code, static_cast<int>(kExitRefused)) : code;
}

int ProvisionReportExitCode(const ProvisionReport &report) {
  int code = kExitOk;
  for (const ProvisionDeviceReport &device : report.devices) code = std::max(code, ProvisionDeviceExitCode(device));
  return code;
}

std::string ProvisionDiffLine(const std::string &page, const ProvisionFieldDiff &diff) {
  return page + " " + diff.field + ": device \"" + DtuEscapeControl(diff.device) + "\", file \"" +
         DtuEscapeControl(diff.file) + "\"";
}

std::string ProvisionReportText(const ProvisionReport &report) {
  if (report.verb == "diff") return ProvisionDiffText(report);
  std::ostringstream out;
  for (const ProvisionDeviceReport &device : report.devices) {
    out << device.port << ":\n";
    for (const ProvisionPageReport &page : device.pages) AppendPageLine(out, report.verb, page);
  }
  for (const ProvisionDeviceReport &device : report.devices) out << DeviceSummary(report.verb, device);
  return out.str();
}

QByteArray ProvisionReportJson(const ProvisionReport &report) {
  QJsonArray devices;
  for (const ProvisionDeviceReport &device : report.devices) devices.append(DeviceJson(device));
  QJsonObject root{{"verb", QString::fromStdString(report.verb)},
                   {"file", QString::fromStdString(report.file)},
                   {"exit_code", ProvisionReportExitCode(report)},
                   {"devices", devices}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ProvisionReportFromJson(const QByteArray &json, ProvisionReport &report) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
  const QJsonObject root = doc.object();
  report.verb = root["verb"].toString().toStdString();
  report.file = root["file"].toString().toStdString();
  for (const QJsonValue &d : root["devices"].toArray()) {
    ProvisionDeviceReport device;
    if (!DeviceFromJson(d.toObject(), device)) return false;
    report.devices.push_back(device);
  }
  return true;
}
