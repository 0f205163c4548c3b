#include "app/workbench/compare_view.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/workbench/workbench_texts.h"
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_store.h"

namespace {

enum Column { kPage, kField, kDevice, kFile, kTaken, kColumns };

const QColor kDiffersColour(255, 214, 214);

// The pages' messages while a side is taken: shown in the view, not in boxes.
class Quiet {
 public:
  Quiet() : previous_(DtuSetMessageSink([this](const std::string &text) { said_.push_back(text); })) {}
  ~Quiet() { DtuSetMessageSink(previous_); }
  std::string Last() const { return said_.empty() ? std::string() : said_.back(); }

 private:
  std::vector<std::string> said_;
  DtuMessageSink previous_;
};

}  // namespace

CompareView::CompareView(QWidget *parent) : QWidget(parent) {
  table_ = WbReadOnlyTable(0, kColumns);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  only_differences_ = new QCheckBox;
  only_differences_->setChecked(true);
  take_device_ = new QPushButton;
  take_file_ = new QPushButton;
  hint_ = new QLabel;
  hint_->setWordWrap(true);
  outcome_ = new QLabel;
  outcome_->setWordWrap(true);
  outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(only_differences_);
  buttons->addStretch(1);
  buttons->addWidget(take_device_);
  buttons->addWidget(take_file_);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  layout->addWidget(hint_);
  layout->addWidget(outcome_);
  connect(only_differences_, &QCheckBox::toggled, this, &CompareView::UpdateFilter);
  connect(take_device_, &QPushButton::clicked, this, [this] { TakeDevice(table_->currentRow()); });
  connect(take_file_, &QPushButton::clicked, this, [this] { TakeFile(table_->currentRow()); });
  UpdateLanguage();
}

void CompareView::UpdateLanguage() {
  table_->setHorizontalHeaderLabels({WbText(DtuTextId::kColPage), WbText(DtuTextId::kColField),
                                     WbText(DtuTextId::kColDevice), WbText(DtuTextId::kColFile),
                                     WbText(DtuTextId::kColTaken)});
  only_differences_->setText(WbText(DtuTextId::kOnlyDifferences));
  take_device_->setText(WbText(DtuTextId::kTakeDevice));
  take_file_->setText(WbText(DtuTextId::kTakeFile));
  hint_->setText(WbText(DtuTextId::kCompareHint));
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) FillRow(row);
}

void CompareView::Show(const WorkbenchRun &run) {
  run_ = &run;
  pages_ = run.Compared();
  rows_.clear();
  for (int p = 0; p < static_cast<int>(pages_.size()); ++p) {
    for (int f = 0; f < static_cast<int>(pages_[p].fields.size()); ++f) rows_.push_back({p, f});
  }
  Fill();
}

void CompareView::Fill() {
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) FillRow(row);
  table_->resizeColumnsToContents();
  for (int column : {kDevice, kFile}) table_->setColumnWidth(column, std::min(table_->columnWidth(column), 260));
  UpdateFilter();
}

QString CompareView::PageTitle(int page) const {
  const WorkbenchComparedPage &compared = pages_[page];
  const QString title = WbPageTitle(compared.page);
  return compared.group.empty() ? title : title + " / " + QString::fromStdString(compared.group);
}

// A list field shows its entry's text, as the page's view does.
QString CompareView::Shown(int page, const std::string &field, const std::string &value) const {
  DtuPage *logic = run_ ? run_->PageOf(pages_[page].page) : nullptr;
  if (logic != nullptr) {
    for (const DtuPageFieldInfo &info : logic->Fields()) {
      if (info.name != field || !info.is_list || info.items == nullptr) continue;
      const std::vector<std::string> items = info.items();
      bool number = false;
      const int index = QString::fromStdString(value).toInt(&number);
      if (number && index >= 0 && index < static_cast<int>(items.size())) return QString::fromStdString(items[index]);
    }
  }
  return QString::fromStdString(value);
}

void CompareView::FillRow(int row) {
  const Row &r = rows_[row];
  const ProvisionComparedField &field = pages_[r.page].fields[r.field];
  const QString taken = r.taken == Row::Taken::kDevice ? WbText(DtuTextId::kTakenDevice)
                        : r.taken == Row::Taken::kFile ? WbText(DtuTextId::kTakenFile)
                                                       : QString();
  const QString texts[kColumns] = {PageTitle(r.page), QString::fromStdString(field.field),
                                   Shown(r.page, field.field, field.device), Shown(r.page, field.field, field.file),
                                   taken};
  for (int column = 0; column < kColumns; ++column) {
    auto *item = new QTableWidgetItem(texts[column]);
    item->setToolTip(texts[column]);
    if (field.differs && r.taken == Row::Taken::kNone) {
      item->setBackground(kDiffersColour);
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
    }
    table_->setItem(row, column, item);
  }
}

void CompareView::UpdateFilter() {
  const bool only = only_differences_->isChecked();
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    const Row &r = rows_[row];
    const bool listed = pages_[r.page].fields[r.field].differs || r.taken != Row::Taken::kNone;
    table_->setRowHidden(row, only && !listed);
  }
}

std::vector<std::string> CompareView::Differences() const {
  std::vector<std::string> names;
  for (const Row &r : rows_) {
    const ProvisionComparedField &field = pages_[r.page].fields[r.field];
    if (field.differs) names.push_back(pages_[r.page].page + " " + field.field);
  }
  return names;
}

int CompareView::RowOf(const std::string &page, const std::string &field) const {
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    const Row &r = rows_[row];
    if (pages_[r.page].page == page && pages_[r.page].fields[r.field].field == field) return row;
  }
  return -1;
}

QString CompareView::Outcome() const { return outcome_->text(); }

// The page in the window shows the device's values, with every file value
// taken for it on top.
void CompareView::ShowPageValues(int page) {
  DtuPage *logic = run_->PageOf(pages_[page].page);
  if (!pages_[page].group.empty()) logic->SelectGroup(pages_[page].group);
  std::string why;
  for (const ProvisionComparedField &field : pages_[page].fields) logic->SetField(field.field, field.device, why);
  for (const Row &r : rows_) {
    const ProvisionComparedField &field = pages_[r.page].fields[r.field];
    if (r.page == page && r.taken == Row::Taken::kFile) logic->SetField(field.field, field.file, why);
  }
  emit logic->Changed();
}

bool CompareView::TakeDevice(int row) {
  if (run_ == nullptr || row < 0 || row >= static_cast<int>(rows_.size())) return false;
  Row &r = rows_[row];
  ProvisionComparedField &field = pages_[r.page].fields[r.field];
  DtuPage *logic = run_->PageOf(pages_[r.page].page);
  const QString page = PageTitle(r.page);
  const QString name = QString::fromStdString(field.field);
  std::string why;
  bool saved = false;
  {
    Quiet quiet;
    if (!pages_[r.page].group.empty()) logic->SelectGroup(pages_[r.page].group);
    saved = logic->OnBnClickedBtReadLocal() && logic->SetField(field.field, field.device, why) &&
            logic->OnBnClickedBtSaveLocal();
    if (!saved && why.empty()) why = quiet.Last();
  }
  if (saved) {
    field.file = field.device;
    field.differs = false;
    r.taken = Row::Taken::kDevice;
    outcome_->setText(WbFormat(DtuTextId::kTookDevice, {page, name, QString::fromStdString(DtuPageConfigPath())}));
  } else {
    outcome_->setText(WbFormat(DtuTextId::kTakeFailed, {page, name, QString::fromStdString(why)}));
  }
  ShowPageValues(r.page);
  FillRow(row);
  UpdateFilter();
  return saved;
}

bool CompareView::TakeFile(int row) {
  if (run_ == nullptr || row < 0 || row >= static_cast<int>(rows_.size())) return false;
  Row &r = rows_[row];
  const ProvisionComparedField &field = pages_[r.page].fields[r.field];
  DtuPage *logic = run_->PageOf(pages_[r.page].page);
  const QString page = PageTitle(r.page);
  const QString name = QString::fromStdString(field.field);
  std::string why;
  if (!pages_[r.page].group.empty()) logic->SelectGroup(pages_[r.page].group);
  if (!logic->SetField(field.field, field.file, why)) {
    outcome_->setText(WbFormat(DtuTextId::kTakeFailed, {page, name, QString::fromStdString(why)}));
    return false;
  }
  r.taken = Row::Taken::kFile;
  ShowPageValues(r.page);
  outcome_->setText(WbFormat(DtuTextId::kTookFile, {page, name}));
  FillRow(row);
  UpdateFilter();
  return true;
}
