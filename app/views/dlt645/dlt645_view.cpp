#include "app/views/dlt645/dlt645_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "pages/dlt645/dtu_dlt645.h"

namespace {

constexpr int kMeterHeadings = 6;  // "Channel" and the five fields
constexpr int kParamHeadings = 7;  // "Parameters" and the six fields

QStringList Numbers(int count) {
  QStringList items;
  for (int i = 1; i <= count; ++i) items << QString::number(i);
  return items;
}

QString Numbered(DtuTextId text_id, int number) {
  return QString::fromUtf8(DtuLangText(text_id)).replace("%d", QString::number(number));
}

std::string Name(const char *word, int number) { return word + std::to_string(number); }

void AddGridRow(QGridLayout *grid, int row, const std::vector<QWidget *> &widgets) {
  for (int column = 0; column < static_cast<int>(widgets.size()); ++column) grid->addWidget(widgets[column], row, column);
}

// A group: its lists on top, the table, then its Config and Read buttons.
void StackGroup(QGroupBox *group, QLayout *top, QLayout *grid, QPushButton *set, QPushButton *read) {
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(set);
  buttons->addWidget(read);
  auto *inner = new QVBoxLayout(group);
  inner->addLayout(top);
  inner->addLayout(grid);
  inner->addLayout(buttons);
}

}  // namespace

Dlt645View::Dlt645View(DtuDLT645 *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  top_tip_ = new QLabel(this);
  bottom_tip_ = new QLabel(this);
  for (QLabel *tip : {top_tip_, bottom_tip_}) tip->setWordWrap(true);
  save_local_ = NewPageButton("SaveLocal", this);
  read_local_ = NewPageButton("ReadLocal", this);
  auto *local = new QHBoxLayout;
  local->addWidget(save_local_);
  local->addWidget(read_local_);
  local->addStretch();

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(top_tip_);
  layout->addWidget(BuildBasicGroup());
  layout->addWidget(BuildRuleGroup());
  layout->addWidget(bottom_tip_);
  layout->addLayout(local);
  layout->addStretch();

  connect(basic_set_, &QPushButton::clicked, page_, &DtuDLT645::OnBnClickedBtBasicSet);
  connect(basic_read_, &QPushButton::clicked, page_, &DtuDLT645::OnBnClickedBtBasicRead);
  connect(rule_set_, &QPushButton::clicked, page_, &DtuDLT645::OnBnClickedBtRuleSet);
  connect(rule_read_, &QPushButton::clicked, page_, &DtuDLT645::OnBnClickedBtRuleRead);
  connect(save_local_, &QPushButton::clicked, page_, &DtuDLT645::OnBnClickedBtSaveLocal);
  connect(read_local_, &QPushButton::clicked, page_, &DtuDLT645::OnBnClickedBtReadLocal);
  // Another configure channel shows another rule: every row is refilled.
  connect(binder_, &PageFieldBinder::Edited, this, &Dlt645View::ApplyVisibility);
  connect(page_, &DtuDLT645::Changed, this, &Dlt645View::ApplyVisibility);
  UpdateLanguage();
}

QWidget *Dlt645View::BuildBasicGroup() {
  basic_group_ = new QGroupBox(this);
  basic_group_->setObjectName("Basic");
  switch_label_ = new QLabel(basic_group_);
  count_label_ = new QLabel(basic_group_);
  // The page's switch indexes run ON, OFF; shown OFF first, as everywhere.
  switch_box_ = binder_->List("Switch", ToQStringList(DtuDLT645::SwitchItems()), basic_group_, {1, 0});
  auto *top = new QHBoxLayout;
  top->addWidget(switch_label_);
  top->addWidget(switch_box_);
  top->addSpacing(24);
  top->addWidget(count_label_);
  top->addWidget(binder_->List("ChannelCount", Numbers(kDlt645Channels), basic_group_));
  top->addStretch();

  auto *grid = new QGridLayout;
  for (int column = 0; column < kMeterHeadings; ++column) {
    meter_headings_.push_back(new QLabel(basic_group_));
    grid->addWidget(meter_headings_.back(), 0, column);
  }
  for (int k = 1; k <= kDlt645Channels; ++k) {
    std::vector<QWidget *> row = {new QLabel(basic_group_)};
    for (const char *word : {"addr", "preamble", "diNum", "cycle", "DiList"}) {
      row.push_back(binder_->Text(Name(word, k).c_str(), basic_group_));
    }
    AddGridRow(grid, k, row);
    meter_rows_.push_back(row);
  }
  // Address and DI list hold the longest texts (12 and up to 71 characters).
  for (int column = 1; column < kMeterHeadings; ++column) grid->setColumnStretch(column, 1);
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(5, 4);

  basic_set_ = NewPageButton("BasicSet", basic_group_);
  basic_read_ = NewPageButton("BasicRead", basic_group_);
  StackGroup(basic_group_, top, grid, basic_set_, basic_read_);
  return basic_group_;
}

QWidget *Dlt645View::BuildRuleGroup() {
  rule_group_ = new QGroupBox(this);
  rule_group_->setObjectName("Rule");
  config_channel_label_ = new QLabel(rule_group_);
  rule_label_ = new QLabel(rule_group_);
  param_count_label_ = new QLabel(rule_group_);
  rule_box_ = binder_->List("Rule", ToQStringList(DtuDLT645::RuleItems()), rule_group_);
  param_count_box_ = binder_->List("ParamCount", Numbers(kDlt645Params), rule_group_);
  auto *top = new QHBoxLayout;
  top->addWidget(config_channel_label_);
  top->addWidget(binder_->List("ConfigChannelIndex", Numbers(kDlt645Channels), rule_group_));
  top->addSpacing(24);
  top->addWidget(rule_label_);
  top->addWidget(rule_box_);
  top->addSpacing(24);
  top->addWidget(param_count_label_);
  top->addWidget(param_count_box_);
  top->addStretch();

  auto *grid = new QGridLayout;
  for (int column = 0; column < kParamHeadings; ++column) {
    param_headings_.push_back(new QLabel(rule_group_));
    grid->addWidget(param_headings_.back(), 0, column);
  }
  const QStringList endian = ToQStringList(DtuDLT645::EndianItems());
  for (int p = 1; p <= kDlt645Params; ++p) {
    data_type_boxes_.push_back(binder_->List(Name("DataType", p).c_str(), ToQStringList(DtuDLT645::DataTypeItems()), rule_group_));
    data_type_boxes_.back()->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    data_rule_boxes_.push_back(binder_->List(Name("DataRule", p).c_str(), ToQStringList(DtuDLT645::DataRuleItems()), rule_group_));
    std::vector<QWidget *> row = {new QLabel(rule_group_), binder_->Text(Name("Tag", p).c_str(), rule_group_),
                                  binder_->Text(Name("RuleDi", p).c_str(), rule_group_), data_type_boxes_.back(),
                                  binder_->List(Name("DataEndian", p).c_str(), endian, rule_group_),
                                  data_rule_boxes_.back(), binder_->Text(Name("Rate", p).c_str(), rule_group_)};
    AddGridRow(grid, p, row);
    param_rows_.push_back(row);
  }
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(2, 1);

  rule_set_ = NewPageButton("RuleSet", rule_group_);
  rule_read_ = NewPageButton("RuleRead", rule_group_);
  StackGroup(rule_group_, top, grid, rule_set_, rule_read_);
  return rule_group_;
}

// The rule rows follow the configure channel on view, so they are refilled
// whenever a list changes, not only when the page reports a change.
void Dlt645View::ApplyVisibility() {
  binder_->Refresh();
  const DtuDlt645Model &m = page_->Model();
  bool any_meter = false;
  for (int k = 1; k <= kDlt645Channels; ++k) {
    any_meter = any_meter || m.MeterRowVisible(k);
    for (QWidget *widget : meter_rows_[k - 1]) widget->setVisible(m.MeterRowVisible(k));
  }
  // Headings stand over rows only.
  for (QLabel *heading : meter_headings_) heading->setVisible(any_meter);
  const bool params = m.ParamsVisible();
  for (QLabel *heading : param_headings_) heading->setVisible(params);
  param_count_label_->setVisible(params);
  param_count_box_->setVisible(params);
  for (int p = 1; p <= kDlt645Params; ++p) {
    for (QWidget *widget : param_rows_[p - 1]) widget->setVisible(m.ParamRowVisible(p));
  }
}

void Dlt645View::UpdateLanguage() {
  top_tip_->setText(DtuLangText(DtuTextId::kDltInputTip));
  bottom_tip_->setText(DtuLangText(DtuTextId::kDltRuleTip));
  basic_group_->setTitle(DtuLangText(DtuTextId::kDltBasicGroup));
  rule_group_->setTitle(DtuLangText(DtuTextId::kModbusForwardRuleGroup));
  switch_label_->setText(DtuLangText(DtuTextId::kModbusFunctionSwitch));
  count_label_->setText(DtuLangText(DtuTextId::kModbusChannelCount));
  config_channel_label_->setText(DtuLangText(DtuTextId::kDltConfigChannel));
  rule_label_->setText(DtuLangText(DtuTextId::kDltForwardRuleGroup));
  param_count_label_->setText(DtuLangText(DtuTextId::kDltParameterCount));
  for (int i = 0; i < kMeterHeadings; ++i) meter_headings_[i]->setText(DtuLangText(DtuTextIdAt(DtuTextId::kDltHeadChannel, i)));
  // The DI list holds up to eight DIs, not four.
  meter_headings_[kMeterHeadings - 1]->setText(DtuLangText(DtuTextId::kDltDiConfigHeading));
  for (int i = 0; i < kParamHeadings; ++i) param_headings_[i]->setText(DtuLangText(DtuTextIdAt(DtuTextId::kDltHeadParameters, i)));
  for (int k = 1; k <= kDlt645Channels; ++k) {
    static_cast<QLabel *>(meter_rows_[k - 1][0])->setText(Numbered(DtuTextId::kDltChannelN, k));
  }
  for (int p = 1; p <= kDlt645Params; ++p) {
    static_cast<QLabel *>(param_rows_[p - 1][0])->setText(Numbered(DtuTextId::kDltParamN, p));
    binder_->SetListItems(data_type_boxes_[p - 1], ToQStringList(DtuDLT645::DataTypeItems()));
    binder_->SetListItems(data_rule_boxes_[p - 1], ToQStringList(DtuDLT645::DataRuleItems()));
  }
  binder_->SetListItems(switch_box_, ToQStringList(DtuDLT645::SwitchItems()));
  binder_->SetListItems(rule_box_, ToQStringList(DtuDLT645::RuleItems()));
  for (QPushButton *set : {basic_set_, rule_set_}) set->setText(DtuLangText(DtuTextId::kSet));
  for (QPushButton *read : {basic_read_, rule_read_}) read->setText(DtuLangText(DtuTextId::kRead));
  save_local_->setText(DtuLangText(DtuTextId::kSaveToLocal));
  read_local_->setText(DtuLangText(DtuTextId::kReadLocal));
  ApplyVisibility();
}
