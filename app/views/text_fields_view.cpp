#include "app/views/text_fields_view.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/page_button_row.h"
#include "app/views/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"
#include "pages/dtu_text_fields_page.h"

TextFieldsView::TextFieldsView(DtuTextFieldsPage *page, std::optional<DtuTextId> group_text_id,
                               std::optional<DtuTextId> hint_text_id, QWidget *parent)
    : QWidget(parent),
      binder_(new PageFieldBinder(page, this)),
      group_text_id_(group_text_id),
      hint_text_id_(hint_text_id) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  for (const DtuFieldDef &def : page->FieldDefs()) form->addRow(def.name, binder_->Text(def.name, group_));
  hint_ = new QLabel(group_);
  hint_->setWordWrap(true);
  hint_->setVisible(hint_text_id.has_value());

  buttons_ = NewPageButtonRow(group_);
  auto *inner = new QVBoxLayout(group_);
  inner->addLayout(form);
  inner->addWidget(hint_);
  inner->addLayout(buttons_.layout);
  inner->addStretch();
  auto *outer = new QVBoxLayout(this);
  outer->addWidget(group_);

  ConnectPageButtonRow(buttons_, page);
  UpdateLanguage();
}

void TextFieldsView::UpdateLanguage() {
  group_->setTitle(group_text_id_ ? QString::fromUtf8(DtuLangText(*group_text_id_)) : QStringLiteral("MQTT"));
  if (hint_text_id_) hint_->setText(DtuLangText(*hint_text_id_));
  buttons_.Label();
}
