#include "app/fleet/fleet_apply_run.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>

#include <signal.h>

#include "app/workbench/workbench_texts.h"

namespace {

QString &VarnokctlOverride() {
  static QString path;
  return path;
}

QString CsvPath(const QTemporaryDir &dir) { return dir.filePath(QStringLiteral("report.csv")); }

}  // namespace

FleetApplyRun::FleetApplyRun(FleetApplyRequest request, QObject *parent)
    : QObject(parent), request_(std::move(request)) {
  for (const QString &imei : request_.imeis) {
    FleetApplyRow row;
    row.imei = imei;
    rows_.push_back(row);
  }
}

FleetApplyRun::~FleetApplyRun() {
  if (!process_ || process_->state() == QProcess::NotRunning) return;
  // The window goes: the devices are not left half written either.
  process_->disconnect(this);
  ::kill(static_cast<pid_t>(process_->processId()), SIGINT);
  if (!process_->waitForFinished(60000)) process_->kill();
  process_->waitForFinished();
}

QString FleetApplyRun::VarnokctlPath() {
  if (!VarnokctlOverride().isEmpty()) return VarnokctlOverride();
  return QCoreApplication::applicationDirPath() + QStringLiteral("/varnokctl");
}

void FleetApplyRun::SetVarnokctlPath(const QString &path) { VarnokctlOverride() = path; }

QStringList FleetApplyRun::Arguments() const {
  QStringList args{QStringLiteral("apply"), QStringLiteral("--cloud"), request_.file, QStringLiteral("--device")};
  args << request_.imeis;
  args << QStringLiteral("--json") << QStringLiteral("--events") << QStringLiteral("--csv") << CsvPath(temp_);
  return args;
}

void FleetApplyRun::Start() {
  started_ = true;
  const QString program = VarnokctlPath();
  const QFileInfo info(program);
  if (!info.isFile() || !info.isExecutable()) return Fail(WbFormat(DtuTextId::kFleetNoVarnokctl, {program}));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("VARNOK_CLOUD_USER"), request_.username);
  env.insert(QStringLiteral("VARNOK_CLOUD_PASSWORD"), request_.password);
  env.insert(QStringLiteral("VARNOK_CLOUD_PRODUCT_KEY"), request_.product_key);
  env.insert(QStringLiteral("VARNOK_CLOUD_PRODUCT_SECRET"), request_.product_secret);
  const PlatformSettings &p = request_.platform;
  env.insert(QStringLiteral("VARNOK_API_BASE"), QString::fromStdString(p.api_base));
  env.insert(QStringLiteral("VARNOK_MQTT_HOST"), QString::fromStdString(p.mqtt_host));
  env.insert(QStringLiteral("VARNOK_MQTT_PORT"), QString::number(p.mqtt_port));
  if (!p.ca_file.empty()) env.insert(QStringLiteral("VARNOK_CA_FILE"), QString::fromStdString(p.ca_file));
  env.insert(QStringLiteral("VARNOK_TLS_VERIFY"), QString::number(p.tls_verify));
  process_ = std::make_unique<QProcess>();
  process_->setProcessEnvironment(env);
  process_->setWorkingDirectory(QFileInfo(request_.file).absolutePath());
  connect(process_.get(), &QProcess::readyReadStandardError, this, &FleetApplyRun::TakeEvents);
  connect(process_.get(), &QProcess::finished, this, &FleetApplyRun::OnFinished);
  connect(process_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) Fail(WbFormat(DtuTextId::kFleetNoVarnokctl, {process_->errorString()}));
  });
  process_->start(program, Arguments());
}

void FleetApplyRun::Cancel() {
  if (!Running() || !process_) return;
  ++cancels_;
  ::kill(static_cast<pid_t>(process_->processId()), SIGINT);
}

int FleetApplyRun::RowOf(const QString &imei) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].imei == imei) return static_cast<int>(i);
  }
  return -1;
}

void FleetApplyRun::TakeEvents() {
  stderr_tail_ += process_->readAllStandardError();
  int end;
  while ((end = stderr_tail_.indexOf('\n')) >= 0) {
    const QByteArray line = stderr_tail_.left(end).trimmed();
    stderr_tail_.remove(0, end + 1);
    const QJsonObject event = QJsonDocument::fromJson(line).object();
    const int row = RowOf(event["imei"].toString());
    if (row < 0) {
      if (!line.isEmpty()) messages_ << QString::fromUtf8(line);
      continue;
    }
    FleetApplyRowTake(event, rows_[static_cast<size_t>(row)]);
    emit RowChanged(row);
  }
}

void FleetApplyRun::OnFinished() {
  if (done_) return;
  TakeEvents();
  exit_code_ = process_->exitCode();
  const QByteArray out = process_->readAllStandardOutput();
  const QJsonObject report = QJsonDocument::fromJson(out).object();
  if (!report["devices"].isArray()) {
    const QString said = messages_.isEmpty() ? QString::fromUtf8(out).trimmed() : messages_.join('\n');
    return Fail(WbFormat(DtuTextId::kFleetNoReport, {QString::number(exit_code_), said}));
  }
  report_json_ = out;
  stopped_ = report["stopped"].toString();
  for (const QJsonValue &v : report["devices"].toArray()) {
    const QJsonObject device = v.toObject();
    const int row = RowOf(device["imei"].toString());
    if (row < 0) continue;
    FleetApplyRowTake(device, rows_[static_cast<size_t>(row)]);
    emit RowChanged(row);
  }
  done_ = true;
  emit Finished();
}

void FleetApplyRun::Fail(const QString &why) {
  if (done_) return;
  error_ = why;
  done_ = true;
  emit Finished();
}

bool FleetApplyRun::SaveReport(const QString &path) const {
  if (!HaveReport()) return false;
  QByteArray bytes = report_json_;
  if (!path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) {
    QFile csv(CsvPath(temp_));
    if (!csv.open(QIODevice::ReadOnly)) return false;
    bytes = csv.readAll();
  }
  QFile out(path);
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
}
