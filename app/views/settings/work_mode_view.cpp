#include "app/views/settings/work_mode_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/kit/field_labels.h"
#include "app/views/kit/page_button_row.h"
#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "pages/settings/dtu_work_mode.h"

WorkModeView::WorkModeView(DtuWorkMode *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  mode_ = binder_->List("WorkMode", ToQStringList(DtuWorkMode::ModeItems()), group_);
  label_ = new QLabel(group_);
  form->addRow(label_, mode_);

  buttons_ = NewPageButtonRow(group_);
  LayOutPageGroup(this, group_, form, buttons_);

  ConnectPageButtonRow(buttons_, page_);
  // The window sets no "Unknown" (a device may report it; it is no mode).
  disconnect(buttons_.set, &QPushButton::clicked, page_, &DtuWorkMode::OnBnClickedBtSet);
  connect(buttons_.set, &QPushButton::clicked, this, [this] {
    if (mode_->currentIndex() <= 0) {
      DtuWarningBox(DtuLangText(DtuTextId::kWorkModeUnknownNotSet));
      return;
    }
    page_->OnBnClickedBtSet();
  });
  UpdateLanguage();
}

void WorkModeView::UpdateLanguage() {
  binder_->SetListItems(mode_, ToQStringList(DtuWorkMode::ModeItems()));
  // "Unknown" is what a device may report, never a mode to set.
  PageFieldBinder::DisableEntry(mode_, 0);
  label_->setText(DtuFieldLabel("WorkMode"));
  group_->setTitle(DtuLangText(DtuTextId::kWorkModeGroup));
  buttons_.Label();
}
