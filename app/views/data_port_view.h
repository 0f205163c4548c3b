// The data port page's widgets.
#pragma once

#include <QWidget>

#include "app/views/page_button_row.h"

class DtuDataPort;
class PageFieldBinder;
class QGroupBox;

class DataPortView : public QWidget {
  Q_OBJECT

 public:
  explicit DataPortView(DtuDataPort *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  DtuDataPort *page_;
  PageFieldBinder *binder_;
  QGroupBox *group_;
  PageButtonRow buttons_;
};
