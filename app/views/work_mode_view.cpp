#include "app/views/work_mode_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/page_field_binder.h"
#include "base/dtu_lang.h"
#include "pages/dtu_page_texts.h"
#include "pages/dtu_work_mode.h"

WorkModeView::WorkModeView(DtuWorkMode *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  mode_ = binder_->List("WorkMode", ToQStringList(DtuWorkMode::ModeItems()), group_);
  form->addRow("Work Mode", mode_);

  set_ = NewPageButton("Set", group_);
  read_ = NewPageButton("Read", group_);
  save_local_ = NewPageButton("SaveLocal", group_);
  read_local_ = NewPageButton("ReadLocal", group_);
  auto *buttons = new QHBoxLayout;
  for (QPushButton *b : {set_, read_, save_local_, read_local_}) buttons->addWidget(b);
  buttons->addStretch();
  auto *inner = new QVBoxLayout(group_);
  inner->addLayout(form);
  inner->addLayout(buttons);
  inner->addStretch();
  auto *outer = new QVBoxLayout(this);
  outer->addWidget(group_);

  connect(set_, &QPushButton::clicked, page_, &DtuWorkMode::OnBnClickedBtSet);
  connect(read_, &QPushButton::clicked, page_, &DtuWorkMode::OnBnClickedBtRead);
  connect(save_local_, &QPushButton::clicked, page_, &DtuWorkMode::OnBnClickedBtSaveLocal);
  connect(read_local_, &QPushButton::clicked, page_, &DtuWorkMode::OnBnClickedBtReadLocal);
  UpdateLanguage();
}

void WorkModeView::UpdateLanguage() {
  binder_->SetListItems(mode_, ToQStringList(DtuWorkMode::ModeItems()));
  group_->setTitle(DtuLangText(99));
  set_->setText(DtuLangText(kTextSet));
  read_->setText(DtuLangText(kTextRead));
  save_local_->setText(DtuLangText(kTextSaveToLocal));
  read_local_->setText(DtuLangText(kTextReadLocal));
}
