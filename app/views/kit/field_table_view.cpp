#include "app/views/kit/field_table_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/kit/field_labels.h"
#include "app/views/kit/page_button_row.h"
#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"
#include "pages/kit/dtu_field_table_page.h"

FieldTableView::FieldTableView(DtuFieldTablePage *page, std::optional<DtuTextId> group_text_id,
                               std::optional<DtuTextId> hint_text_id, QWidget *parent)
    : QWidget(parent),
      page_(page),
      binder_(new PageFieldBinder(page, this)),
      group_text_id_(group_text_id),
      hint_text_id_(hint_text_id) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  for (size_t i = 0; i < page->FieldCount(); ++i) {
    labels_.push_back(new QLabel(group_));
    form->addRow(labels_.back(), FieldWidget(i));
  }
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

// A number with a few values only (QoS 0..2, CleanSession 0..1) is chosen
// from a list: the device takes nothing else.
constexpr long long kMostListedNumbers = 8;

QWidget *FieldTableView::FieldWidget(size_t field) {
  const DtuFieldDef &def = page_->Def(field);
  if (def.kind == DtuFieldKind::kNumber && def.Ranged() && def.max_value - def.min_value < kMostListedNumbers) {
    return binder_->NumberList(def.name, def.min_value, def.max_value, group_);
  }
  if (def.kind != DtuFieldKind::kList || !def.items) return binder_->Text(def.name, group_);
  QComboBox *box = binder_->List(def.name, DtuShownListItems(ToQStringList(def.items())), group_);
  lists_.push_back({field, box});
  return box;
}

void FieldTableView::UpdateLanguage() {
  for (const auto &[field, box] : lists_) {
    binder_->SetListItems(box, DtuShownListItems(ToQStringList(page_->Def(field).items())));
  }
  for (size_t i = 0; i < labels_.size(); ++i) labels_[i]->setText(DtuFieldLabel(page_->Def(i).name, page_->Def(i).label));
  group_->setTitle(group_text_id_ ? QString::fromUtf8(DtuLangText(*group_text_id_)) : QStringLiteral("MQTT"));
  if (hint_text_id_) hint_->setText(DtuLangText(*hint_text_id_));
  buttons_.Label();
}
