#include "app/views/settings/work_mode_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/kit/page_button_row.h"
#include "app/views/kit/page_field_binder.h"
#include "base/dtu_lang.h"
#include "base/dtu_text_id.h"
#include "pages/settings/dtu_work_mode.h"

WorkModeView::WorkModeView(DtuWorkMode *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  mode_ = binder_->List("WorkMode", ToQStringList(DtuWorkMode::ModeItems()), group_);
  form->addRow("Work Mode", mode_);

  buttons_ = NewPageButtonRow(group_);
  LayOutPageGroup(this, group_, form, buttons_);

  ConnectPageButtonRow(buttons_, page_);
  UpdateLanguage();
}

void WorkModeView::UpdateLanguage() {
  binder_->SetListItems(mode_, ToQStringList(DtuWorkMode::ModeItems()));
  group_->setTitle(DtuLangText(DtuTextId::kWorkModeGroup));
  buttons_.Label();
}
