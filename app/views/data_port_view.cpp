#include "app/views/data_port_view.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/views/page_button_row.h"
#include "app/views/page_field_binder.h"
#include "base/dtu_lang.h"
#include "pages/dtu_data_port.h"
#include "base/dtu_text_id.h"

DataPortView::DataPortView(DtuDataPort *page, QWidget *parent)
    : QWidget(parent), page_(page), binder_(new PageFieldBinder(page, this)) {
  group_ = new QGroupBox(this);
  auto *form = new QFormLayout;
  form->addRow("BaudRate", binder_->List("BaudRate", ToQStringList(kDtuBaudrateItems, kDtuBaudrateCount), group_));
  form->addRow("DataBits", binder_->List("DataBits", ToQStringList(kDtuDatabitsItems, kDtuDatabitsCount), group_));
  form->addRow("Parity", binder_->List("Parity", ToQStringList(kDtuParityItems, kDtuParityCount), group_));

  buttons_ = NewPageButtonRow(group_);
  LayOutPageGroup(this, group_, form, buttons_);

  ConnectPageButtonRow(buttons_, page_);
  UpdateLanguage();
}

void DataPortView::UpdateLanguage() {
  group_->setTitle(DtuLangText(DtuTextId::kDataPortGroup));
  buttons_.Label();
}
