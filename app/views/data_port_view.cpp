#include "app/views/data_port_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/page_field_binder.h"
#include "base/dtu_lang.h"
#include "pages/dtu_data_port.h"
#include "pages/dtu_page_texts.h"

DataPortView::DataPortView(DtuDataPort *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  form->addRow("BaudRate", binder_->List("BaudRate", ToQStringList(kDtuBaudrateItems, kDtuBaudrateCount), group_));
  form->addRow("DataBits", binder_->List("DataBits", ToQStringList(kDtuDatabitsItems, kDtuDatabitsCount), group_));
  form->addRow("Parity", binder_->List("Parity", ToQStringList(kDtuParityItems, kDtuParityCount), group_));

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

  connect(set_, &QPushButton::clicked, page_, &DtuDataPort::OnBnClickedBtSet);
  connect(read_, &QPushButton::clicked, page_, &DtuDataPort::OnBnClickedBtRead);
  connect(save_local_, &QPushButton::clicked, page_, &DtuDataPort::OnBnClickedBtSaveLocal);
  connect(read_local_, &QPushButton::clicked, page_, &DtuDataPort::OnBnClickedBtReadLocal);
  UpdateLanguage();
}

void DataPortView::UpdateLanguage() {
  group_->setTitle(DtuLangText(30));
  set_->setText(DtuLangText(kTextSet));
  read_->setText(DtuLangText(kTextRead));
  save_local_->setText(DtuLangText(kTextSaveToLocal));
  read_local_->setText(DtuLangText(kTextReadLocal));
}
