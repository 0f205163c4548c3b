// The window of one fleet apply: one row per device (IMEI, state, the page
// in work or the one that failed, the first failing field with the device's
// and the file's value), the progress or summary line, Cancel while it runs
// (a second Cancel ends the devices at once), then Save Report… as JSON or
// CSV, the formats of `varnokctl apply --cloud --json / --csv`.
#pragma once

#include <QDialog>

#include <memory>

#include "app/fleet/fleet_apply_run.h"
#include "app/workbench/run_dialog_frame.h"

class QPushButton;
class QTableWidget;

class FleetApplyDialog : public QDialog {
  Q_OBJECT

 public:
  // Takes the run and starts it.
  explicit FleetApplyDialog(std::unique_ptr<FleetApplyRun> run, QWidget *parent = nullptr);

  FleetApplyRun &Run() const { return *run_; }
  QTableWidget *Table() const { return table_; }
  QPushButton *CancelButton() const { return frame_.cancel; }
  QPushButton *SaveReportButton() const { return frame_.save_report; }
  QString Summary() const;
  bool SaveReport(const QString &path);
  void UpdateLanguage();

 protected:
  void reject() override;

 private:
  void ShowRow(int row);
  void ShowSummary();
  void OnFinished();
  void OnCancel();
  void AskReportFile();

  std::unique_ptr<FleetApplyRun> run_;
  QTableWidget *table_;
  WbRunFrame frame_{};
  QString saved_note_;
};

// The row's state in the current language.
QString FleetApplyStateText(const QString &state);
