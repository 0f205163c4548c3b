#include "app/views/settings/net_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/kit/page_button_row.h"
#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "pages/settings/dtu_net.h"
#include "base/dtu_text_id.h"

NetView::NetView(DtuNet *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *grid = new QGridLayout;
  dial_type_label_ = new QLabel(group_);
  dial_type_ = binder_->List("DialType", ToQStringList(DtuNet::DialTypeItems()), group_);
  grid->addWidget(dial_type_label_, 0, 0);
  grid->addWidget(dial_type_, 0, 1);
  const char *const names[3] = {"APN", "Username", "Password"};
  for (int i = 0; i < 3; ++i) {
    labels_[i] = new QLabel(names[i], group_);
    fields_[i] = binder_->Text(names[i], group_);
    grid->addWidget(labels_[i], i + 1, 0);
    grid->addWidget(fields_[i], i + 1, 1);
  }

  buttons_ = NewPageButtonRow(group_);
  auto *inner = new QVBoxLayout(group_);
  inner->addLayout(grid);
  inner->addLayout(buttons_.layout);
  inner->addStretch();
  auto *outer = new QVBoxLayout(this);
  outer->addWidget(group_);

  ConnectPageButtonRow(buttons_, page_);
  connect(binder_, &PageFieldBinder::Edited, this, &NetView::ApplyVisibility);
  connect(page_, &DtuNet::Changed, this, &NetView::ApplyVisibility);
  UpdateLanguage();
}

void NetView::ApplyVisibility() {
  const bool manual = page_->ManualFieldsVisible();
  for (int i = 0; i < 3; ++i) {
    labels_[i]->setVisible(manual);
    fields_[i]->setVisible(manual);
  }
}

void NetView::UpdateLanguage() {
  binder_->SetListItems(dial_type_, ToQStringList(DtuNet::DialTypeItems()));
  group_->setTitle(DtuLangText(DtuTextId::kNetGroup));
  dial_type_label_->setText(DtuLangText(DtuTextId::kNetDialType));
  labels_[1]->setText(DtuLangText(DtuTextId::kNetUsername));
  labels_[2]->setText(DtuLangText(DtuTextId::kNetPassword));
  buttons_.Label(DtuTextId::kNetSet, DtuTextId::kNetRead);
  ApplyVisibility();
}
