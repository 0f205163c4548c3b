#include "app/views/modbus/modbus_cache_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/views/modbus/modbus_view_kit.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"

namespace {

// Field names of a row's text fields, in the page's field order.
const char *const kRowFields[4] = {"slave", "Addr", "Len", "Cycle"};
const DtuTextId kHeadings[6] = {
    DtuTextId::kModbusCacheChannelHeading, DtuTextId::kCacheSlaveAddress, DtuTextId::kModbusFunctionCode,
    DtuTextId::kCacheStartAddress,         DtuTextId::kCacheCount,        DtuTextId::kCacheCycle};

}  // namespace

ModbusCacheView::ModbusCacheView(DtuModbusCache *page, QWidget *parent)
    : QWidget(parent), page_(page), buttons_(NewPageButtonRow(this)) {
  auto *outer = new QVBoxLayout(this);
  outer->addWidget(BuildProxyGroup());
  outer->addWidget(BuildChannelGroup());
  outer->addLayout(buttons_.layout);
  outer->addStretch();
  ConnectFields();
  ConnectPageButtonRow(buttons_, page_);
  connect(page_, &DtuModbusCache::Changed, this, &ModbusCacheView::Refresh);
  connect(page_, &DtuModbusCache::FocusRequested, this, &ModbusCacheView::Focus);
  UpdateLanguage();
}

QGroupBox *ModbusCacheView::BuildProxyGroup() {
  proxy_group_ = new QGroupBox(this);
  switch_label_ = new QLabel(proxy_group_);
  count_label_ = new QLabel(proxy_group_);
  tip_ = new QLabel(proxy_group_);
  func_switch_ = NewModbusList("funcSwitch", DtuModbus::SwitchItems(), proxy_group_);
  channel_count_ = NewModbusList("maxChannel", CountItems(kModbusCacheChannels), proxy_group_);
  auto *row = new QHBoxLayout;
  for (QWidget *w : std::initializer_list<QWidget *>{switch_label_, func_switch_, count_label_, channel_count_}) {
    row->addWidget(w);
  }
  row->addStretch();
  auto *inner = new QVBoxLayout(proxy_group_);
  inner->addLayout(row);
  inner->addWidget(tip_);
  return proxy_group_;
}

QGroupBox *ModbusCacheView::BuildChannelGroup() {
  channel_group_ = new QGroupBox(this);
  auto *grid = new QGridLayout;
  for (int i = 0; i < 6; ++i) {
    headings_[i] = new QLabel(channel_group_);
    grid->addWidget(headings_[i], 0, i);
  }
  for (int k = 0; k < kModbusCacheChannels; ++k) {
    Row &row = rows_[k];
    const QString n = QString::number(k + 1);
    row.label = new QLabel(channel_group_);
    row.function = NewModbusList("Function" + n, DtuModbusCache::FunctionItems(), channel_group_);
    for (int i = 0; i < 4; ++i) {
      row.edits[i] = new QLineEdit(channel_group_);
      row.edits[i]->setObjectName(kRowFields[i] + n);
    }
    QWidget *cells[] = {row.label, row.edits[0], row.function, row.edits[1], row.edits[2], row.edits[3]};
    for (int i = 0; i < 6; ++i) grid->addWidget(cells[i], k + 1, i);
  }
  note_ = new QLabel(channel_group_);
  note_->setWordWrap(true);
  auto *inner = new QVBoxLayout(channel_group_);
  inner->addLayout(grid);
  inner->addWidget(note_);
  return channel_group_;
}

void ModbusCacheView::ConnectFields() {
  connect(func_switch_, &QComboBox::activated, this, [this](int index) { page_->ChooseFunctionSwitch(index); });
  connect(channel_count_, &QComboBox::activated, this, [this](int index) { ChooseCount(index + 1); });
  for (int k = 0; k < kModbusCacheChannels; ++k) {
    const std::string n = std::to_string(k + 1);
    for (int i = 0; i < 4; ++i) {
      const std::string name = kRowFields[i] + n;
      connect(rows_[k].edits[i], &QLineEdit::textEdited, this,
              [this, name](const QString &text) { WriteModbusField(page_, name, text.toStdString()); });
    }
    connect(rows_[k].function, &QComboBox::activated, this,
            [this, n](int index) { WriteModbusField(page_, "Function" + n, std::to_string(index + 1)); });
  }
}

// Rows beyond the chosen count are emptied: what is hidden is not written.
void ModbusCacheView::ChooseCount(int count) {
  WriteModbusField(page_, "maxChannel", std::to_string(count));
  for (int k = count; k < kModbusCacheChannels; ++k) {
    for (int i = 0; i < 4; ++i) WriteModbusField(page_, kRowFields[i] + std::to_string(k + 1), "");
  }
  Refresh();
}

void ModbusCacheView::Refresh() {
  const DtuModbusCacheModel &m = page_->Model();
  SelectQuietly(func_switch_, m.func_switch);
  SelectQuietly(channel_count_, m.channel_count - 1);
  for (int k = 0; k < kModbusCacheChannels; ++k) {
    const DtuModbusCacheRow &values = m.rows[k];
    const std::string *texts[4] = {&values.slave, &values.start, &values.quantity, &values.cycle};
    for (int i = 0; i < 4; ++i) ShowModelText(rows_[k].edits[i], *texts[i]);
    SelectQuietly(rows_[k].function, values.function - 1);
  }
  ApplyVisibility();
}

void ModbusCacheView::ApplyVisibility() {
  const int count = page_->Model().channel_count;
  for (int k = 0; k < kModbusCacheChannels; ++k) {
    const bool shown = k < count;
    Row &row = rows_[k];
    for (QWidget *w : std::initializer_list<QWidget *>{row.label, row.function, row.edits[0], row.edits[1],
                                                        row.edits[2], row.edits[3]}) {
      w->setVisible(shown);
      w->setEnabled(shown);
    }
  }
}

void ModbusCacheView::Focus(int channel, int field) {
  if (channel < 1 || channel > kModbusCacheChannels || field < 0 || field > 3) return;
  rows_[channel - 1].edits[field]->setFocus();
}

void ModbusCacheView::UpdateLanguage() {
  proxy_group_->setTitle(DtuLangText(DtuTextId::kCacheProxyGroup));
  channel_group_->setTitle(DtuLangText(DtuTextId::kCachePollingChannelGroup));
  switch_label_->setText(DtuLangText(DtuTextId::kModbusFunctionSwitch));
  count_label_->setText(DtuLangText(DtuTextId::kCacheChannelCount));
  tip_->setText(DtuLangText(DtuTextId::kModbusDecimalTip));
  note_->setText(DtuLangText(DtuTextId::kCacheFunctionCodeNote));
  RefillModbusList(func_switch_, DtuModbus::SwitchItems());
  for (int i = 0; i < 6; ++i) headings_[i]->setText(DtuLangText(kHeadings[i]));
  for (int k = 0; k < kModbusCacheChannels; ++k) {
    rows_[k].label->setText(NumberedText(DtuTextId::kModbusCacheChannelRow, k + 1));
  }
  buttons_.Label();
  Refresh();
}
