#include "pages/kit/dtu_text_fields_page.h"

DtuTextFieldsPage::DtuTextFieldsPage(std::vector<DtuFieldDef> fields, QObject *parent)
    : DtuFieldTablePage(parent), field_defs_(std::move(fields)), values_(field_defs_.size()) {}

void DtuTextFieldsPage::EmptyForRead() {
  for (std::string &value : values_) value.clear();
  emit Changed();
}
