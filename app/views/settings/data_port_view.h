// The data port page's widgets.
#pragma once

#include "app/views/kit/field_table_view.h"

class DtuDataPort;

class DataPortView : public FieldTableView {
  Q_OBJECT

 public:
  explicit DataPortView(DtuDataPort *page, QWidget *parent = nullptr);
};
