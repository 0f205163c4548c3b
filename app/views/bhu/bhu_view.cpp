#include "app/views/bhu/bhu_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "pages/bhu/dtu_bhu.h"

namespace {

QString Text(DtuTextId id) { return QString::fromUtf8(DtuLangText(id)); }

QString FieldRowText(int number) {
  char text[64];
  std::snprintf(text, sizeof(text), DtuLangText(DtuTextId::kBhuFieldRow), number);
  return QString::fromUtf8(text);
}

// Refills a list in the current language, keeping a selection still in range.
void Refill(QComboBox *box, const QStringList &items) {
  const QSignalBlocker quiet(box);
  const int selected = box->currentIndex();
  box->clear();
  box->addItems(items);
  box->setCurrentIndex(selected < items.size() ? selected : 0);
}

void Select(QComboBox *box, int index) {
  const QSignalBlocker quiet(box);
  box->setCurrentIndex(index);
}

}  // namespace

BhuView::BhuView(DtuBhu *page, QWidget *parent) : QWidget(parent), page_(page) {
  auto *group = new QGroupBox(this);
  auto *grid = new QGridLayout;
  packet_type_ = NewList("PacketType");
  switch_ = NewList("FunctionSwitch");
  format_ = NewList("PacketFormat");
  edit_mode_ = NewList("EditMode");
  period_ = new QLineEdit(this);
  period_->setObjectName("Cycle");
  period_unit_ = new QLabel(this);
  field_count_ = NewList("FieldCount");
  packet_type_label_ = AddRow(grid, packet_type_);
  switch_label_ = AddRow(grid, switch_);
  format_label_ = AddRow(grid, format_);
  edit_mode_label_ = AddRow(grid, edit_mode_);
  period_label_ = AddRow(grid, period_, period_unit_);
  field_count_label_ = AddRow(grid, field_count_);
  BuildFieldRows(grid);
  content_caption_ = new QLabel(this);
  content_caption_->setWordWrap(true);
  content_ = new QPlainTextEdit(this);
  content_->setObjectName("Content");
  buttons_ = NewPageButtonRow(this);

  auto *left = new QVBoxLayout;
  left->addLayout(grid);
  left->addWidget(content_caption_);
  left->addWidget(content_, 1);
  left->addStretch();
  left->addLayout(buttons_.layout);
  tips_ = new QPlainTextEdit(this);
  tips_->setObjectName("Tips");
  tips_->setReadOnly(true);
  auto *columns = new QHBoxLayout(group);
  columns->addLayout(left, 3);
  columns->addWidget(tips_, 2);
  auto *outer = new QVBoxLayout(this);
  outer->addWidget(group);

  ConnectPageButtonRow(buttons_, page_);
  ConnectEdits();
  connect(page_, &DtuPage::Changed, this, &BhuView::Refresh);
  UpdateLanguage();
}

BhuView::~BhuView() = default;

QComboBox *BhuView::NewList(const char *name) {
  auto *box = new QComboBox(this);
  box->setObjectName(name);
  return box;
}

QLabel *BhuView::AddRow(QGridLayout *grid, QWidget *editor, QWidget *extra) {
  const int row = grid->rowCount();
  auto *label = new QLabel(this);
  grid->addWidget(label, row, 0);
  grid->addWidget(editor, row, 1);
  if (extra) grid->addWidget(extra, row, 2);
  return label;
}

void BhuView::BuildFieldRows(QGridLayout *grid) {
  type_heading_ = new QLabel(this);
  value_heading_ = new QLabel(this);
  const int heading = grid->rowCount();
  grid->addWidget(type_heading_, heading, 1);
  grid->addWidget(value_heading_, heading, 2);
  for (int i = 0; i < kDtuBhuFieldsMax; ++i) {
    FieldRow &row = rows_[i];
    row.type = NewList(("FieldType" + std::to_string(i + 1)).c_str());
    row.value = new QLineEdit(this);
    row.value->setObjectName(QString("FieldValue%1").arg(i + 1));
    row.value->setMaxLength(kDtuBhuFieldValueMax);
    row.label = AddRow(grid, row.type, row.value);
  }
  grid->setColumnStretch(2, 1);
}

void BhuView::ConnectEdits() {
  // Each edit goes into the selected packet at once; visibility follows.
  auto edited = [this](auto apply) {
    return [this, apply](auto value) {
      if (refreshing_) return;
      apply(page_->Edit(), value);
      ApplyVisibility();
    };
  };
  connect(packet_type_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
    if (!refreshing_ && index >= 0) page_->Select(static_cast<DtuBhuPacketType>(index));
  });
  connect(switch_, qOverload<int>(&QComboBox::currentIndexChanged), this,
          edited([](DtuBhuPacketModel &p, int i) { p.on = i; }));
  connect(format_, qOverload<int>(&QComboBox::currentIndexChanged), this,
          edited([](DtuBhuPacketModel &p, int i) { p.format = i; }));
  connect(edit_mode_, qOverload<int>(&QComboBox::currentIndexChanged), this,
          edited([](DtuBhuPacketModel &p, int i) { p.edit_mode = i; }));
  connect(field_count_, qOverload<int>(&QComboBox::currentIndexChanged), this,
          edited([](DtuBhuPacketModel &p, int i) { p.field_count = i + 1; }));
  connect(period_, &QLineEdit::textEdited, this,
          edited([](DtuBhuPacketModel &p, const QString &t) { p.period = t.toStdString(); }));
  connect(content_, &QPlainTextEdit::textChanged, this, [this] {
    if (!refreshing_) page_->Edit().content = content_->toPlainText().toStdString();
  });
  for (int i = 0; i < kDtuBhuFieldsMax; ++i) {
    connect(rows_[i].type, qOverload<int>(&QComboBox::currentIndexChanged), this,
            edited([i](DtuBhuPacketModel &p, int t) { p.fields[i].type = t; }));
    connect(rows_[i].value, &QLineEdit::textEdited, this,
            edited([i](DtuBhuPacketModel &p, const QString &t) { p.fields[i].value = t.toStdString(); }));
  }
}

void BhuView::Refresh() {
  refreshing_ = true;
  const DtuBhuPacketModel &p = page_->Current();
  Select(packet_type_, static_cast<int>(page_->Selected()));
  Select(switch_, p.on);
  Select(format_, p.format);
  Select(edit_mode_, p.edit_mode);
  Select(field_count_, p.field_count - 1);
  period_->setText(QString::fromStdString(p.period));
  if (content_->toPlainText().toStdString() != p.content) content_->setPlainText(QString::fromStdString(p.content));
  for (int i = 0; i < kDtuBhuFieldsMax; ++i) {
    Select(rows_[i].type, p.fields[i].type);
    rows_[i].value->setText(QString::fromStdString(p.fields[i].value));
  }
  refreshing_ = false;
  ApplyVisibility();
}

void BhuView::ApplyVisibility() {
  const DtuBhuPacketModel &p = page_->Current();
  const bool period = DtuBhuHasPeriod(page_->Selected());
  for (QWidget *w : {static_cast<QWidget *>(period_label_), static_cast<QWidget *>(period_),
                     static_cast<QWidget *>(period_unit_)}) {
    w->setVisible(period);
  }
  edit_mode_label_->setVisible(p.format == 1);
  edit_mode_->setVisible(p.format == 1);
  const bool visual = p.Visual();
  content_caption_->setVisible(!visual);
  content_->setVisible(!visual);
  for (QWidget *w : {static_cast<QWidget *>(field_count_label_), static_cast<QWidget *>(field_count_),
                     static_cast<QWidget *>(type_heading_), static_cast<QWidget *>(value_heading_)}) {
    w->setVisible(visual);
  }
  for (int i = 0; i < kDtuBhuFieldsMax; ++i) {
    const bool shown = visual && i < p.field_count;
    rows_[i].label->setVisible(shown);
    rows_[i].type->setVisible(shown);
    rows_[i].value->setVisible(shown);
  }
}

void BhuView::FillLists() {
  Refill(packet_type_, ToQStringList(DtuBhu::PacketTypeItems()));
  Refill(switch_, ToQStringList(DtuBhu::SwitchItems()));
  Refill(format_, ToQStringList(DtuBhu::FormatItems()));
  Refill(edit_mode_, ToQStringList(DtuBhu::EditModeItems()));
  QStringList counts;
  for (int n = 1; n <= kDtuBhuFieldsMax; ++n) counts << QString::number(n);
  Refill(field_count_, counts);
  for (FieldRow &row : rows_) Refill(row.type, ToQStringList(DtuBhu::FieldTypeItems()));
}

void BhuView::UpdateLanguage() {
  FillLists();
  packet_type_label_->setText(Text(DtuTextId::kBhuPacketType));
  switch_label_->setText(Text(DtuTextId::kModbusFunctionSwitch));
  format_label_->setText(Text(DtuTextId::kBhuPacketFormat));
  edit_mode_label_->setText(Text(DtuTextId::kBhuEditMode));
  period_label_->setText(Text(DtuTextId::kBhuCycle));
  period_unit_->setText(Text(DtuTextId::kBhuSeconds));
  field_count_label_->setText(Text(DtuTextId::kBhuFieldCount));
  type_heading_->setText(Text(DtuTextId::kBhuValueType));
  value_heading_->setText(Text(DtuTextId::kBhuValue));
  content_caption_->setText(Text(DtuTextId::kBhuPacketContent));
  for (int i = 0; i < kDtuBhuFieldsMax; ++i) rows_[i].label->setText(FieldRowText(i + 1));
  // The table keeps the device's CR LF line ends; the box wants plain ones.
  tips_->setPlainText(Text(DtuTextId::kBhuTips).replace("\r\n", "\n"));
  buttons_.Label();
  Refresh();
}
