#include "app/views/settings/devinfo_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/kit/confirm_question.h"
#include "app/views/kit/field_labels.h"
#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "link/dtu_cmd_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "base/dtu_text_id.h"

DevinfoView::DevinfoView(DtuDevinfo *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *identity = new QFormLayout;
  for (const char *field : {"Version", "IMEI", "ICCID", "IMSI"}) {
    identity->addRow(NewLabel(field), binder_->ReadOnlyText(field, group_));
  }
  const QStringList switches = Switches();
  auto *settings = new QFormLayout;
  switches_[0] = binder_->List("RemoteCfgSwitch", switches, group_);
  settings->addRow(NewLabel("RemoteCfgSwitch"), switches_[0]);
  settings->addRow(NewLabel("RemoteCfgServer"), binder_->Text("RemoteCfgServer", group_));
  settings->addRow(NewLabel("RemoteCfgPort"), binder_->Text("RemoteCfgPort", group_));
  log_level_label_ = new QLabel(group_);
  settings->addRow(log_level_label_,
                   binder_->List("LogLevel", ToQStringList(DtuDevinfo::kLogLevelItems, DtuDevinfo::kLogLevelCount), group_));
  switches_[1] = binder_->List("WatchDogSwitch", switches, group_);
  settings->addRow(NewLabel("WatchDogSwitch"), switches_[1]);

  save_local_ = NewPageButton("SaveLocal", group_);
  read_local_ = NewPageButton("ReadLocal", group_);
  auto *local = new QHBoxLayout;
  local->addWidget(save_local_);
  local->addWidget(read_local_);
  auto *right = new QVBoxLayout;
  right->addLayout(settings);
  right->addLayout(local);
  right->addStretch();
  auto *columns = new QHBoxLayout(group_);
  auto *left = new QVBoxLayout;
  left->addLayout(identity);
  left->addStretch();
  columns->addLayout(left);
  columns->addLayout(right);

  // Set before Read, as on every other page.
  set_ = NewPageButton("Set", this);
  read_ = NewPageButton("Read", this);
  reboot_ = NewPageButton("Reboot", this);
  reset_ = NewPageButton("Reset", this);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton *b : {set_, read_, reboot_, reset_}) buttons->addWidget(b);
  auto *page_layout = new QVBoxLayout(this);
  page_layout->addLayout(buttons);
  page_layout->addWidget(group_);

  connect(read_, &QPushButton::clicked, page_, &DtuDevinfo::OnBnClickedBtRead);
  connect(set_, &QPushButton::clicked, page_, &DtuDevinfo::OnBnClickedBtSet);
  connect(reboot_, &QPushButton::clicked, this, [this] {
    if (AskFirst(DtuTextId::kRebootQuestion)) page_->OnBnClickedBtReboot();
  });
  connect(reset_, &QPushButton::clicked, this, [this] {
    if (AskFirst(DtuTextId::kResetQuestion)) page_->OnBnClickedBtReset();
  });
  connect(save_local_, &QPushButton::clicked, page_, &DtuDevinfo::OnBnClickedBtSaveLocal);
  connect(read_local_, &QPushButton::clicked, page_, &DtuDevinfo::OnBnClickedBtReadLocal);
  UpdateLanguage();
}

QLabel *DevinfoView::NewLabel(const char *field) {
  auto *label = new QLabel(group_);
  labels_.push_back({field, label});
  return label;
}

QStringList DevinfoView::Switches() {
  return DtuShownListItems(ToQStringList(DtuDevinfo::kSwitchItems, DtuDevinfo::kSwitchCount));
}

// With the port closed there is nothing to confirm: the page says so.
bool DevinfoView::AskFirst(DtuTextId question_id) {
  if (DtuCmdPort::OpenInstance() == nullptr) return true;
  return DtuAskYesNo(this, QString::fromUtf8(DtuLangText(question_id)));
}

void DevinfoView::UpdateLanguage() {
  group_->setTitle(DtuLangText(DtuTextId::kDevinfoGroup));
  read_->setText(DtuLangText(DtuTextId::kDevinfoRead));
  set_->setText(DtuLangText(DtuTextId::kDevinfoSet));
  reboot_->setText(DtuLangText(DtuTextId::kDevinfoReboot));
  reset_->setText(DtuLangText(DtuTextId::kDevinfoReset));
  save_local_->setText(DtuLangText(DtuTextId::kSaveToLocal));
  read_local_->setText(DtuLangText(DtuTextId::kReadLocal));
  log_level_label_->setText(DtuLangText(DtuTextId::kDevinfoLogLevel));
  for (const auto &[field, label] : labels_) label->setText(DtuFieldLabel(field));
  for (QComboBox *box : switches_) binder_->SetListItems(box, Switches());
}
