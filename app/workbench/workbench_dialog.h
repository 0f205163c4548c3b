// The window of one whole-device run: the progress table (page, state,
// first failing field) row by row as the pages go, Cancel while it runs,
// then the outcome, Save Report… (the JSON or text report varnokctl writes)
// and, for Compare with File, the compare view.
#pragma once

#include <QDialog>

#include <memory>

#include "app/workbench/workbench_run.h"

class CompareView;
class QLabel;
class QPushButton;
class QTableWidget;

class WorkbenchDialog : public QDialog {
  Q_OBJECT

 public:
  // Takes the run and starts it.
  WorkbenchDialog(std::unique_ptr<WorkbenchRun> run, QWidget *parent = nullptr);

  WorkbenchRun &Run() const { return *run_; }
  QTableWidget *ProgressTable() const { return table_; }
  CompareView *Compare() const { return compare_; }
  QPushButton *CancelButton() const { return cancel_; }
  QPushButton *SaveReportButton() const { return save_report_; }
  QString Summary() const;
  // Writes the report: JSON when the name ends in .json, else text.
  bool SaveReport(const QString &path);
  void UpdateLanguage();

 protected:
  void reject() override;

 private:
  void OnPageStarted(int index);
  void OnPageEnded(int index);
  void OnFinished();
  void SetState(int row, const QString &text, const QColor &colour);
  QString StateText(const ProvisionPageReport &page) const;
  void AskReportFile();

  std::unique_ptr<WorkbenchRun> run_;
  QLabel *heading_;
  QTableWidget *table_;
  CompareView *compare_ = nullptr;
  QLabel *summary_;
  QPushButton *cancel_;
  QPushButton *save_report_;
  QPushButton *close_;
  std::vector<bool> started_;
  QString saved_note_;
};

// The action's name in the current language (the menu's text).
QString WorkbenchActionText(WorkbenchVerb verb);
