#include "app/views/kit/page_button_row.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"

void PageButtonRow::Label(DtuTextId set_text_id, DtuTextId read_text_id) const {
  set->setText(DtuLangText(set_text_id));
  read->setText(DtuLangText(read_text_id));
  save_local->setText(DtuLangText(DtuTextId::kSaveToLocal));
  read_local->setText(DtuLangText(DtuTextId::kReadLocal));
}

PageButtonRow NewPageButtonRow(QWidget *parent) {
  PageButtonRow row;
  row.set = NewPageButton("Set", parent);
  row.read = NewPageButton("Read", parent);
  row.save_local = NewPageButton("SaveLocal", parent);
  row.read_local = NewPageButton("ReadLocal", parent);
  row.layout = new QHBoxLayout;
  for (QPushButton *b : {row.set, row.read, row.save_local, row.read_local}) row.layout->addWidget(b);
  row.layout->addStretch();
  return row;
}

void LayOutPageGroup(QWidget *view, QGroupBox *group, QLayout *form, const PageButtonRow &row) {
  auto *inner = new QVBoxLayout(group);
  inner->addLayout(form);
  inner->addLayout(row.layout);
  inner->addStretch();
  auto *outer = new QVBoxLayout(view);
  outer->addWidget(group);
}
