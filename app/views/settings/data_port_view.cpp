#include "app/views/settings/data_port_view.h"

#include "base/dtu_text_id.h"
#include "pages/settings/dtu_data_port.h"

DataPortView::DataPortView(DtuDataPort *page, QWidget *parent)
    : FieldTableView(page, DtuTextId::kDataPortGroup, std::nullopt, parent) {}
