// One fleet apply from the window: `varnokctl apply --cloud FILE --device
// IMEI... --json --events --csv TEMP` as a child process, so the window runs
// the same engine as the command line (worker processes per device, staging,
// read-back, Ctrl-C handling) and stays responsive. The account and product
// go to it in the environment (VARNOK_CLOUD_*), never on its command line;
// the platform as the virtual serial page reaches it (VARNOK_API_BASE,
// VARNOK_MQTT_HOST, VARNOK_MQTT_PORT, VARNOK_CA_FILE, VARNOK_TLS_VERIFY).
// Each --events line updates its device's row; the JSON report printed at
// the end gives the final rows. Cancel is varnokctl's Ctrl-C (SIGINT): no
// device starts any more, each running one finishes its page; a second
// Cancel ends them at once.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "app/fleet/fleet_apply_row.h"
#include "remote/platform_settings.h"

struct FleetApplyRequest {
  QString file;
  QStringList imeis;
  QString username, password, product_key, product_secret;
  PlatformSettings platform;
};

class FleetApplyRun : public QObject {
  Q_OBJECT

 public:
  explicit FleetApplyRun(FleetApplyRequest request, QObject *parent = nullptr);
  ~FleetApplyRun() override;

  // varnokctl beside the window's program, unless set (tests set the one
  // of their build).
  static QString VarnokctlPath();
  static void SetVarnokctlPath(const QString &path);

  void Start();
  void Cancel();
  bool Running() const { return started_ && !done_; }
  bool Done() const { return done_; }
  int Cancels() const { return cancels_; }

  const FleetApplyRequest &Request() const { return request_; }
  const std::vector<FleetApplyRow> &Rows() const { return rows_; }
  // Why the run gave no report ("" when it did), and why it stopped
  // starting devices.
  const QString &Error() const { return error_; }
  const QString &Stopped() const { return stopped_; }
  int ExitCode() const { return exit_code_; }
  bool HaveReport() const { return !report_json_.isEmpty(); }
  // The report as varnokctl wrote it: JSON when the name ends in .json,
  // else CSV. False when it cannot be written (or there is none).
  bool SaveReport(const QString &path) const;

 signals:
  void RowChanged(int row);
  void Finished();

 private:
  QStringList Arguments() const;
  void TakeEvents();
  void OnFinished();
  void Fail(const QString &why);
  int RowOf(const QString &imei) const;

  FleetApplyRequest request_;
  std::vector<FleetApplyRow> rows_;
  std::unique_ptr<QProcess> process_;
  QTemporaryDir temp_;
  QByteArray stderr_tail_;
  QStringList messages_;  // what varnokctl said beside the events
  QByteArray report_json_;
  QString error_;
  QString stopped_;
  int exit_code_ = 0;
  int cancels_ = 0;
  bool started_ = false;
  bool done_ = false;
};
