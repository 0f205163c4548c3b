#include "app/fleet/fleet_apply_dialog.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <map>

#include "app/workbench/run_dialog_frame.h"
#include "app/workbench/workbench_texts.h"

namespace {

enum Column { kImei, kState, kPage, kFirstFailing, kColumns };

const QColor kGood(205, 240, 205);
const QColor kBad(255, 205, 205);
const QColor kNotable(255, 235, 190);

// The report's states in the order of their texts (kFleetStateWaiting on).
const char *const kStates[] = {"WAITING", "RUNNING", "SUCCEEDED", "FAILED", "TIMED_OUT", "NOT_STARTED", "CANCELED"};

QColor StateColour(const QString &state) {
  if (state == QLatin1String("SUCCEEDED")) return kGood;
  if (FleetApplyRowFailed(state)) return kBad;
  if (state == QLatin1String("WAITING")) return QColor();
  return kNotable;
}

QString FailingText(const FleetApplyRow &row) {
  if (row.state == QLatin1String("SUCCEEDED") || !FleetApplyRowFinal(row.state)) return QString();
  QString text = row.reason;
  if (!row.failed_field.isEmpty()) {
    text = WbFormat(DtuTextId::kFleetFailingField, {row.failed_field, row.device_value, row.file_value, row.reason});
  }
  if (!row.note.isEmpty()) text += (text.isEmpty() ? QString() : QStringLiteral("; ")) + row.note;
  return text;
}

}  // namespace

QString FleetApplyStateText(const QString &state) {
  for (int i = 0; i < static_cast<int>(std::size(kStates)); ++i) {
    if (state == QLatin1String(kStates[i])) return WbText(DtuTextIdAt(DtuTextId::kFleetStateWaiting, i));
  }
  return state;
}

FleetApplyDialog::FleetApplyDialog(std::unique_ptr<FleetApplyRun> run, QWidget *parent)
    : QDialog(parent), run_(std::move(run)) {
  setObjectName(QStringLiteral("FleetApplyDialog"));
  table_ = WbReadOnlyTable(static_cast<int>(run_->Rows().size()), kColumns);
  frame_ = WbBuildRunFrame(this, table_);
  connect(frame_.cancel, &QPushButton::clicked, this, &FleetApplyDialog::OnCancel);
  connect(frame_.save_report, &QPushButton::clicked, this, &FleetApplyDialog::AskReportFile);
  connect(run_.get(), &FleetApplyRun::RowChanged, this, [this](int row) {
    ShowRow(row);
    ShowSummary();
  });
  connect(run_.get(), &FleetApplyRun::Finished, this, &FleetApplyDialog::OnFinished);
  UpdateLanguage();
  resize(900, 480);
  run_->Start();
}

void FleetApplyDialog::UpdateLanguage() {
  setWindowTitle(WbText(DtuTextId::kFleetTitle));
  const FleetApplyRequest &request = run_->Request();
  frame_.heading->setText(WbFormat(DtuTextId::kFleetHeading, {request.file, QString::number(request.imeis.size()),
                                                              QString::fromStdString(request.platform.api_base)}));
  table_->setHorizontalHeaderLabels({WbText(DtuTextId::kColImei), WbText(DtuTextId::kColState),
                                     WbText(DtuTextId::kColPage), WbText(DtuTextId::kColFirstFailing)});
  frame_.cancel->setText(WbText(run_->Cancels() > 0 ? DtuTextId::kFleetCancelAgain : DtuTextId::kRunCancel));
  frame_.save_report->setText(WbText(DtuTextId::kSaveReport));
  frame_.close->setText(WbText(DtuTextId::kRunClose));
  for (int row = 0; row < table_->rowCount(); ++row) ShowRow(row);
  table_->resizeColumnToContents(kImei);
  if (run_->Done())
    OnFinished();
  else
    ShowSummary();
}

void FleetApplyDialog::ShowRow(int row) {
  const FleetApplyRow &r = run_->Rows().at(static_cast<size_t>(row));
  auto *state = new QTableWidgetItem(FleetApplyStateText(r.state));
  if (StateColour(r.state).isValid()) state->setBackground(StateColour(r.state));
  // The page in work (or that failed) with the count so far; a device done
  // with its pages says how many.
  QString page = r.page.isEmpty() ? QString() : WbPageTitle(r.page.toStdString());
  if (r.pages_total > 0 && !page.isEmpty()) page += QStringLiteral(" (%1/%2)").arg(r.pages_done).arg(r.pages_total);
  if (r.pages_total > 0 && page.isEmpty()) {
    page = WbFormat(DtuTextId::kRunSummary, {QString::number(r.pages_done), QString::number(r.pages_total)});
  }
  auto *failing = new QTableWidgetItem(FailingText(r));
  failing->setToolTip(failing->text());
  table_->setItem(row, kImei, new QTableWidgetItem(r.imei));
  table_->setItem(row, kState, state);
  table_->setItem(row, kPage, new QTableWidgetItem(page));
  table_->setItem(row, kFirstFailing, failing);
}

QString FleetApplyDialog::Summary() const { return frame_.summary->text(); }

void FleetApplyDialog::ShowSummary() {
  std::map<QString, int> counts;
  for (const FleetApplyRow &row : run_->Rows()) ++counts[row.state];
  const int total = static_cast<int>(run_->Rows().size());
  QStringList lines;
  if (!run_->Done()) {
    int done = 0, failed = 0;
    for (const FleetApplyRow &row : run_->Rows()) {
      done += FleetApplyRowFinal(row.state);
      failed += FleetApplyRowFailed(row.state);
    }
    lines << WbFormat(DtuTextId::kFleetProgress, {QString::number(done), QString::number(total),
                                                  QString::number(failed), QString::number(counts["RUNNING"])});
    if (run_->Cancels() > 0) lines << WbText(DtuTextId::kFleetCancelling);
  } else if (!run_->Error().isEmpty()) {
    lines << run_->Error();
  } else {
    QStringList values{QString::number(total)};
    for (const char *state : {"SUCCEEDED", "FAILED", "TIMED_OUT", "NOT_STARTED", "CANCELED"}) {
      values << QString::number(counts[QString::fromLatin1(state)]);
    }
    lines << WbFormat(DtuTextId::kFleetSummary, values + QStringList{QString::number(run_->ExitCode())});
    if (!run_->Stopped().isEmpty()) lines << WbFormat(DtuTextId::kFleetStopped, {run_->Stopped()});
  }
  if (!saved_note_.isEmpty()) lines << saved_note_;
  frame_.summary->setText(lines.join('\n'));
}

void FleetApplyDialog::OnFinished() {
  ShowSummary();
  table_->resizeColumnToContents(kState);
  table_->resizeColumnToContents(kPage);
  frame_.cancel->setEnabled(false);
  frame_.save_report->setEnabled(run_->HaveReport());
  frame_.close->setEnabled(true);
}

void FleetApplyDialog::OnCancel() {
  run_->Cancel();
  frame_.cancel->setText(WbText(DtuTextId::kFleetCancelAgain));
  if (run_->Cancels() > 1) frame_.cancel->setEnabled(false);
  ShowSummary();
}

bool FleetApplyDialog::SaveReport(const QString &path) {
  const bool saved = run_->SaveReport(path);
  saved_note_ = WbFormat(saved ? DtuTextId::kReportSaved : DtuTextId::kReportSaveFailed, {path});
  ShowSummary();
  return saved;
}

void FleetApplyDialog::AskReportFile() {
  QString filter;
  const QString path = QFileDialog::getSaveFileName(this, WbText(DtuTextId::kSaveReport), QString(),
                                                    WbText(DtuTextId::kFleetReportFilter), &filter);
  if (path.isEmpty()) return;
  // A name without an ending takes the one of the format chosen.
  const bool csv = filter.contains(QStringLiteral("*.csv"));
  const bool ended = path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive) ||
                     path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
  SaveReport(ended ? path : path + (csv ? QStringLiteral(".csv") : QStringLiteral(".json")));
}

void FleetApplyDialog::reject() {
  // Escape or the title bar's close during a run asks it to stop; the
  // dialog closes once it has.
  if (run_->Running()) {
    if (run_->Cancels() == 0) OnCancel();
    return;
  }
  QDialog::reject();
}
