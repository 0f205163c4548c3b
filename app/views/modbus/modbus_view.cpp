#include "app/views/modbus/modbus_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/views/modbus/modbus_view_kit.h"
#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"
#include "pages/modbus/dtu_modbus.h"

namespace {

const char *const kChannelFields[5] = {"slave", "Function", "Addr", "Len", "Cycle"};
const DtuTextId kChannelHeadings[5] = {DtuTextId::kCacheSlaveAddress, DtuTextId::kModbusFunctionCode,
                                       DtuTextId::kModbusRegisterAddress, DtuTextId::kModbusRegisterCount,
                                       DtuTextId::kModbusPollingCycle};
const DtuTextId kParamHeadings[6] = {DtuTextId::kModbusParameterId, DtuTextId::kModbusRegisterAddress,
                                     DtuTextId::kModbusDataType,    DtuTextId::kModbusByteOrder,
                                     DtuTextId::kModbusConvertRule, DtuTextId::kModbusMultiplier};

QHBoxLayout *Row(std::initializer_list<QWidget *> widgets) {
  auto *row = new QHBoxLayout;
  for (QWidget *w : widgets) row->addWidget(w);
  row->addStretch();
  return row;
}

QLineEdit *NewEdit(const QString &name, QWidget *parent) {
  auto *edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

ModbusView::ModbusView(DtuModbus *page, QWidget *parent) : QWidget(parent), page_(page) {
  auto *content = new QWidget;
  auto *column = new QVBoxLayout(content);
  column->addWidget(BuildPollingGroup());
  column->addWidget(BuildRuleGroup());
  save_local_ = NewPageButton("SaveLocal", content);
  read_local_ = NewPageButton("ReadLocal", content);
  column->addLayout(Row({save_local_, read_local_}));
  column->addStretch();
  // Twelve rows of fields do not fit a small window: the page scrolls.
  auto *scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);

  ConnectPolling();
  ConnectRule();
  connect(save_local_, &QPushButton::clicked, page_, &DtuModbus::OnBnClickedBtSaveLocal);
  connect(read_local_, &QPushButton::clicked, page_, &DtuModbus::OnBnClickedBtReadLocal);
  connect(page_, &DtuModbus::Changed, this, &ModbusView::Refresh);
  UpdateLanguage();
}

QGroupBox *ModbusView::BuildPollingGroup() {
  polling_group_ = new QGroupBox;
  polling_group_->setObjectName("Polling");
  polling_tip_ = new QLabel(polling_group_);
  switch_label_ = new QLabel(polling_group_);
  split_label_ = new QLabel(polling_group_);
  count_label_ = new QLabel(polling_group_);
  func_switch_ = NewModbusList("funcSwitch", DtuModbus::SwitchItems(), polling_group_);
  packet_split_ = NewModbusList("packetSplit", DtuModbus::SwitchItems(), polling_group_);
  channel_count_ = NewModbusList("maxChannel", CountItems(kModbusChannelCount), polling_group_);
  auto *grid = new QGridLayout;
  for (int i = 0; i < 5; ++i) {
    channel_headings_[i] = new QLabel(polling_group_);
    grid->addWidget(channel_headings_[i], 0, i + 1);
  }
  for (int k = 0; k < kModbusChannelCount; ++k) {
    ChannelRow &row = channels_[k];
    row.label = new QLabel(polling_group_);
    grid->addWidget(row.label, k + 1, 0);
    for (int i = 0; i < 5; ++i) {
      row.edits[i] = NewEdit(QString("%1%2").arg(kChannelFields[i]).arg(k + 1), polling_group_);
      grid->addWidget(row.edits[i], k + 1, i + 1);
    }
  }
  unit_note_ = new QLabel(polling_group_);
  unit_note_->setWordWrap(true);
  polling_set_ = NewPageButton("ModbusSet", polling_group_);
  polling_read_ = NewPageButton("ModbusRead", polling_group_);
  auto *inner = new QVBoxLayout(polling_group_);
  inner->addWidget(polling_tip_);
  inner->addLayout(Row({switch_label_, func_switch_, split_label_, packet_split_, count_label_, channel_count_}));
  inner->addLayout(grid);
  inner->addWidget(unit_note_);
  inner->addLayout(Row({polling_set_, polling_read_}));
  return polling_group_;
}

QGroupBox *ModbusView::BuildRuleGroup() {
  rule_group_ = new QGroupBox;
  rule_group_->setObjectName("Rule");
  rule_tip_ = new QLabel(rule_group_);
  config_channel_label_ = new QLabel(rule_group_);
  rule_label_ = new QLabel(rule_group_);
  param_count_label_ = new QLabel(rule_group_);
  config_channel_ = NewModbusList("configChannel", CountItems(kModbusChannelCount), rule_group_);
  rule_ = NewModbusList("rule", DtuModbus::RuleItems(), rule_group_);
  param_count_ = NewModbusList("maxParamCnt", CountItems(kModbusRuleParams), rule_group_);
  auto *grid = new QGridLayout;
  for (int i = 0; i < 6; ++i) {
    param_headings_[i] = new QLabel(rule_group_);
    grid->addWidget(param_headings_[i], 0, i + 1);
  }
  for (int p = 0; p < kModbusRuleParams; ++p) {
    ParamRow &row = params_[p];
    const QString n = QString::number(p + 1);
    row.label = new QLabel(rule_group_);
    row.tag = NewEdit("tag" + n, rule_group_);
    row.address = NewEdit("startOffset" + n, rule_group_);
    row.data_type = NewModbusList("dataType" + n, DtuModbus::DataTypeItems(), rule_group_);
    row.data_type->setSizeAdjustPolicy(QComboBox::AdjustToContents);  // the Chinese names are long
    row.byte_order = NewModbusList("dataEndian" + n, DtuModbus::ByteOrderItems(), rule_group_);
    row.convert = NewModbusList("dataRule" + n, DtuModbus::ConvertItems(), rule_group_);
    row.multiplier = NewEdit("rate" + n, rule_group_);
    QWidget *cells[] = {row.label, row.tag, row.address, row.data_type, row.byte_order, row.convert, row.multiplier};
    for (int i = 0; i < 7; ++i) grid->addWidget(cells[i], p + 1, i);
  }
  rule_set_ = NewPageButton("RuleSet", rule_group_);
  rule_read_ = NewPageButton("RuleRead", rule_group_);
  auto *inner = new QVBoxLayout(rule_group_);
  inner->addWidget(rule_tip_);
  inner->addLayout(Row({config_channel_label_, config_channel_, rule_label_, rule_, param_count_label_, param_count_}));
  inner->addLayout(grid);
  inner->addLayout(Row({rule_set_, rule_read_}));
  return rule_group_;
}

void ModbusView::ConnectPolling() {
  connect(func_switch_, &QComboBox::activated, this, [this](int index) { page_->ChooseFunctionSwitch(index); });
  connect(packet_split_, &QComboBox::activated, this,
          [this](int index) { WriteModbusField(page_, "packetSplit", std::to_string(index)); });
  connect(channel_count_, &QComboBox::activated, this, [this](int index) {
    WriteModbusField(page_, "maxChannel", std::to_string(index + 1));
    ApplyVisibility();
  });
  for (int k = 0; k < kModbusChannelCount; ++k) {
    for (int i = 0; i < 5; ++i) {
      const std::string name = kChannelFields[i] + std::to_string(k + 1);
      connect(channels_[k].edits[i], &QLineEdit::textEdited, this,
              [this, name](const QString &text) { WriteModbusField(page_, name, text.toStdString()); });
    }
  }
  connect(polling_set_, &QPushButton::clicked, page_, &DtuModbus::OnBnClickedBtModbusSet);
  connect(polling_read_, &QPushButton::clicked, page_, &DtuModbus::OnBnClickedBtModbusGet);
}

std::string ModbusView::ParamField(const char *name, int p) const {
  return name + std::to_string(page_->Model().config_channel) + std::to_string(p + 1);
}

void ModbusView::ConnectRule() {
  connect(config_channel_, &QComboBox::activated, this, [this](int index) {
    WriteModbusField(page_, "configChannel", std::to_string(index + 1));
    Refresh();
  });
  connect(rule_, &QComboBox::activated, this, [this](int index) {
    WriteModbusField(page_, "rule" + std::to_string(page_->Model().config_channel), std::to_string(index));
    ApplyVisibility();
  });
  connect(param_count_, &QComboBox::activated, this, [this](int index) {
    WriteModbusField(page_, "maxParamCnt" + std::to_string(page_->Model().config_channel), std::to_string(index + 1));
    ApplyVisibility();
  });
  for (int p = 0; p < kModbusRuleParams; ++p) {
    ParamRow &row = params_[p];
    for (auto [edit, name] : {std::pair{row.tag, "tag"}, {row.address, "startOffset"}, {row.multiplier, "rate"}}) {
      connect(edit, &QLineEdit::textEdited, this,
              [this, name = name, p](const QString &text) { WriteModbusField(page_, ParamField(name, p), text.toStdString()); });
    }
    for (auto [box, name] : {std::pair{row.data_type, "dataType"}, {row.byte_order, "dataEndian"}, {row.convert, "dataRule"}}) {
      connect(box, &QComboBox::activated, this,
              [this, name = name, p](int index) { WriteModbusField(page_, ParamField(name, p), std::to_string(index)); });
    }
  }
  connect(rule_set_, &QPushButton::clicked, page_, &DtuModbus::OnBnClickedBtModbusRuleSet);
  connect(rule_read_, &QPushButton::clicked, page_, &DtuModbus::OnBnClickedBtModbusRuleGet);
}

void ModbusView::Refresh() {
  const DtuModbusModel &m = page_->Model();
  SelectQuietly(func_switch_, m.func_switch);
  SelectQuietly(packet_split_, m.packet_split);
  SelectQuietly(channel_count_, m.channel_count - 1);
  for (int k = 0; k < kModbusChannelCount; ++k) {
    const DtuModbusChannelRow &row = m.channels[k];
    const std::string *texts[5] = {&row.slave, &row.function, &row.address, &row.count, &row.cycle};
    for (int i = 0; i < 5; ++i) ShowModelText(channels_[k].edits[i], *texts[i]);
  }
  const DtuModbusRule &rule = page_->ConfigRule();
  SelectQuietly(config_channel_, m.config_channel - 1);
  SelectQuietly(rule_, rule.rule);
  SelectQuietly(param_count_, rule.param_count - 1);  // 0: no selection
  for (int p = 0; p < kModbusRuleParams; ++p) {
    const DtuModbusParamRow &values = rule.params[p];
    ParamRow &row = params_[p];
    ShowModelText(row.tag, values.tag);
    ShowModelText(row.address, values.address);
    ShowModelText(row.multiplier, values.multiplier);
    SelectQuietly(row.data_type, values.data_type);
    SelectQuietly(row.byte_order, values.byte_order);
    SelectQuietly(row.convert, values.convert);
  }
  ApplyVisibility();
}

void ModbusView::ApplyVisibility() {
  const DtuModbusModel &m = page_->Model();
  const bool on = m.func_switch == 1;
  count_label_->setVisible(on);
  channel_count_->setVisible(on);
  for (QLabel *heading : channel_headings_) heading->setVisible(on);
  for (int k = 0; k < kModbusChannelCount; ++k) {
    const bool shown = on && k < m.channel_count;
    channels_[k].label->setVisible(shown);
    for (QLineEdit *edit : channels_[k].edits) edit->setVisible(shown);
  }
  const DtuModbusRule &rule = page_->ConfigRule();
  const bool parse = rule.rule == 1;
  param_count_label_->setVisible(parse);
  param_count_->setVisible(parse);
  for (QLabel *heading : param_headings_) heading->setVisible(parse);
  for (int p = 0; p < kModbusRuleParams; ++p) {
    const bool shown = parse && p < rule.param_count;
    const ParamRow &row = params_[p];
    for (QWidget *w : std::initializer_list<QWidget *>{row.label, row.tag, row.address, row.data_type,
                                                        row.byte_order, row.convert, row.multiplier}) {
      w->setVisible(shown);
    }
  }
}

void ModbusView::UpdateLanguage() {
  polling_group_->setTitle(DtuLangText(DtuTextId::kModbusPollingGroup));
  rule_group_->setTitle(DtuLangText(DtuTextId::kModbusForwardRuleGroup));
  polling_tip_->setText(DtuLangText(DtuTextId::kModbusDecimalTip));
  rule_tip_->setText(DtuLangText(DtuTextId::kModbusDecimalTip));
  switch_label_->setText(DtuLangText(DtuTextId::kModbusFunctionSwitch));
  split_label_->setText(DtuLangText(DtuTextId::kModbusPacketSplitSwitch));
  count_label_->setText(DtuLangText(DtuTextId::kModbusChannelCount));
  config_channel_label_->setText(DtuLangText(DtuTextId::kModbusConfigChannel));
  rule_label_->setText(DtuLangText(DtuTextId::kModbusForwardRuleGroup));
  param_count_label_->setText(DtuLangText(DtuTextId::kModbusParameterCount));
  unit_note_->setText(DtuLangText(DtuTextId::kModbusCycleUnitNote));
  RefillModbusList(func_switch_, DtuModbus::SwitchItems());
  RefillModbusList(packet_split_, DtuModbus::SwitchItems());
  RefillModbusList(rule_, DtuModbus::RuleItems());
  for (int i = 0; i < 5; ++i) channel_headings_[i]->setText(DtuLangText(kChannelHeadings[i]));
  for (int i = 0; i < 6; ++i) param_headings_[i]->setText(DtuLangText(kParamHeadings[i]));
  for (int k = 0; k < kModbusChannelCount; ++k) {
    channels_[k].label->setText(NumberedText(DtuTextId::kModbusChannelRow, k + 1));
  }
  for (int p = 0; p < kModbusRuleParams; ++p) {
    params_[p].label->setText(NumberedText(DtuTextId::kModbusParamRow, p + 1));
    RefillModbusList(params_[p].data_type, DtuModbus::DataTypeItems());
    RefillModbusList(params_[p].convert, DtuModbus::ConvertItems());
  }
  for (QPushButton *set : {polling_set_, rule_set_}) set->setText(DtuLangText(DtuTextId::kSet));
  for (QPushButton *read : {polling_read_, rule_read_}) read->setText(DtuLangText(DtuTextId::kRead));
  save_local_->setText(DtuLangText(DtuTextId::kSaveToLocal));
  read_local_->setText(DtuLangText(DtuTextId::kReadLocal));
  Refresh();
}
