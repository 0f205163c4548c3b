#include "app/workbench/workbench_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/workbench/compare_view.h"
#include "app/workbench/workbench_texts.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "provision/provision_report.h"
#include "provision/varnokctl_exit_codes.h"

namespace {

enum Column { kPage, kState, kFirstFailing, kColumns };

const QColor kGood(205, 240, 205);
const QColor kBad(255, 205, 205);
const QColor kNotable(255, 235, 190);

bool WentWell(ProvisionStatus status) {
  return status == ProvisionStatus::kVerified || status == ProvisionStatus::kConfirmed;
}

// The first field that failed, else the first that differs, else the first
// thing the page said about a page that did not go well.
QString FirstFailing(const ProvisionPageReport &page) {
  if (!page.failed_fields.empty()) return QString::fromStdString(page.failed_fields.front());
  if (!page.diffs.empty()) return QString::fromStdString(ProvisionDiffLine(page.page, page.diffs.front()));
  if (!WentWell(page.status) && !page.messages.empty()) return QString::fromStdString(page.messages.front());
  return QString();
}

}  // namespace

QString WorkbenchActionText(WorkbenchVerb verb) {
  switch (verb) {
    case WorkbenchVerb::kRead: return WbText(DtuTextId::kReadAllPages);
    case WorkbenchVerb::kWrite: return WbText(DtuTextId::kWriteAllPages);
    case WorkbenchVerb::kCompare: return WbText(DtuTextId::kCompareWithFile);
  }
  return QString();
}

WorkbenchDialog::WorkbenchDialog(std::unique_ptr<WorkbenchRun> run, QWidget *parent)
    : QDialog(parent), run_(std::move(run)), started_(run_->PageNames().size(), false) {
  heading_ = new QLabel;
  heading_->setWordWrap(true);
  table_ = WbReadOnlyTable(static_cast<int>(run_->PageNames().size()), kColumns);
  summary_ = new QLabel;
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  cancel_ = new QPushButton;
  save_report_ = new QPushButton;
  save_report_->setEnabled(false);
  close_ = new QPushButton;
  close_->setEnabled(false);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton *button : {cancel_, save_report_, close_}) buttons->addWidget(button);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  if (run_->Verb() == WorkbenchVerb::kCompare) {
    auto *split = new QSplitter(Qt::Vertical);
    compare_ = new CompareView;
    split->addWidget(table_);
    split->addWidget(compare_);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
  } else {
    layout->addWidget(table_, 1);
  }
  layout->addWidget(summary_);
  layout->addLayout(buttons);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    run_->Cancel();
    cancel_->setEnabled(false);
    summary_->setText(WbText(DtuTextId::kRunCancelling));
  });
  connect(save_report_, &QPushButton::clicked, this, &WorkbenchDialog::AskReportFile);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  connect(run_.get(), &WorkbenchRun::PageStarted, this, &WorkbenchDialog::OnPageStarted);
  connect(run_.get(), &WorkbenchRun::PageEnded, this, &WorkbenchDialog::OnPageEnded);
  connect(run_.get(), &WorkbenchRun::Finished, this, &WorkbenchDialog::OnFinished);
  UpdateLanguage();
  resize(run_->Verb() == WorkbenchVerb::kCompare ? QSize(900, 640) : QSize(760, 480));
  run_->Start();
}

void WorkbenchDialog::UpdateLanguage() {
  setWindowTitle(WorkbenchActionText(run_->Verb()));
  heading_->setText(WbFormat(DtuTextId::kRunHeading,
                             {WorkbenchActionText(run_->Verb()),
                              QString::fromStdString(run_->Port()),
                              QString::fromStdString(run_->File())}));
  table_->setHorizontalHeaderLabels(
      {WbText(DtuTextId::kColPage), WbText(DtuTextId::kColState), WbText(DtuTextId::kColFirstFailing)});
  cancel_->setText(WbText(DtuTextId::kRunCancel));
  save_report_->setText(WbText(DtuTextId::kSaveReport));
  close_->setText(WbText(DtuTextId::kRunClose));
  for (int row = 0; row < table_->rowCount(); ++row) {
    table_->setItem(row, kPage, new QTableWidgetItem(WbPageTitle(run_->PageNames()[row])));
    const ProvisionPageReport &page = run_->PageReport(row);
    if (page.status != ProvisionStatus::kNotDone || run_->Done()) OnPageEnded(row);
    else SetState(row, WbText(started_[row] ? DtuTextId::kStateWorking : DtuTextId::kStateWaiting), QColor());
  }
  if (compare_ != nullptr) compare_->UpdateLanguage();
  if (run_->Done()) OnFinished();
}

void WorkbenchDialog::SetState(int row, const QString &text, const QColor &colour) {
  auto *item = new QTableWidgetItem(text);
  if (colour.isValid()) item->setBackground(colour);
  table_->setItem(row, kState, item);
}

QString WorkbenchDialog::StateText(const ProvisionPageReport &page) const {
  const WorkbenchVerb verb = run_->Verb();
  if (verb == WorkbenchVerb::kRead && page.status == ProvisionStatus::kVerified) {
    return WbText(DtuTextId::kStateReadSaved);
  }
  if (verb == WorkbenchVerb::kCompare && page.status == ProvisionStatus::kVerified) {
    return WbText(DtuTextId::kStateAgrees);
  }
  if (verb == WorkbenchVerb::kCompare && page.status == ProvisionStatus::kDiffers) {
    return WbFormat(DtuTextId::kStateDiffers, {QString::number(page.diffs.size())});
  }
  return WbText(DtuTextIdAt(DtuTextId::kStatusVerified, static_cast<int>(page.status)));
}

void WorkbenchDialog::OnPageStarted(int index) {
  started_.at(index) = true;
  SetState(index, WbText(DtuTextId::kStateWorking), kNotable);
  table_->scrollToItem(table_->item(index, kPage));
}

void WorkbenchDialog::OnPageEnded(int index) {
  const ProvisionPageReport &page = run_->PageReport(index);
  const bool well = WentWell(page.status);
  const bool aside = page.status == ProvisionStatus::kNotInFile || page.status == ProvisionStatus::kNotDone ||
                     page.status == ProvisionStatus::kDiffers;
  SetState(index, StateText(page), well ? kGood : aside ? kNotable : kBad);
  auto *failing = new QTableWidgetItem(FirstFailing(page));
  failing->setToolTip(failing->text());
  table_->setItem(index, kFirstFailing, failing);
}

QString WorkbenchDialog::Summary() const { return summary_->text(); }

void WorkbenchDialog::OnFinished() {
  const ProvisionDeviceReport &device = run_->Device();
  for (int row = 0; row < table_->rowCount(); ++row) OnPageEnded(row);
  table_->resizeColumnToContents(kPage);
  table_->resizeColumnToContents(kState);
  int done = 0;
  size_t differences = 0;
  const bool compare = run_->Verb() == WorkbenchVerb::kCompare;
  for (const ProvisionPageReport &page : device.pages) {
    done += WentWell(page.status) || (compare && page.status == ProvisionStatus::kDiffers) ? 1 : 0;
    differences += page.diffs.size();
  }
  QStringList lines{WbFormat(DtuTextId::kRunSummary, {QString::number(done), QString::number(device.pages.size())})};
  if (compare) {
    lines << WbFormat(DtuTextId::kCompareSummary, {QString::number(differences)});
  }
  if (!device.error.empty()) lines << WbFormat(DtuTextId::kRunError, {QString::fromStdString(device.error)});
  const QString file = QString::fromStdString(run_->File());
  if (run_->Verb() == WorkbenchVerb::kRead) {
    lines << (run_->FileReplaced()
                  ? WbFormat(DtuTextId::kReadAllSaved, {file})
                  : WbFormat(DtuTextId::kReadAllKept, {file, QString::fromStdString(run_->FileError())}));
  }
  if (!saved_note_.isEmpty()) lines << saved_note_;
  summary_->setText(lines.join('\n'));
  cancel_->setEnabled(false);
  save_report_->setEnabled(true);
  close_->setEnabled(true);
  if (compare_ != nullptr && compare_->Table()->rowCount() == 0) compare_->Show(*run_);
}

bool WorkbenchDialog::SaveReport(const QString &path) {
  const ProvisionReport &report = run_->Report();
  const QByteArray bytes = path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)
                               ? ProvisionReportJson(report)
                               : QByteArray::fromStdString(ProvisionReportText(report));
  QFile out(path);
  const bool saved = out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
  saved_note_ = WbFormat(saved ? DtuTextId::kReportSaved : DtuTextId::kReportSaveFailed, {path});
  OnFinished();
  return saved;
}

void WorkbenchDialog::AskReportFile() {
  const QString path = QFileDialog::getSaveFileName(this, WbText(DtuTextId::kSaveReport), QString(),
                                                    WbText(DtuTextId::kReportFilter));
  if (!path.isEmpty()) SaveReport(path);
}

void WorkbenchDialog::reject() {
  // Escape or the title bar's close during a run asks it to stop; the
  // dialog closes once it has.
  if (run_->Running()) return cancel_->click();
  QDialog::reject();
}
