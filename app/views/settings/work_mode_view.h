// The work mode page's widgets.
#pragma once

#include <QWidget>

#include "app/views/kit/page_button_row.h"

class DtuWorkMode;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QLabel;

class WorkModeView : public QWidget {
  Q_OBJECT

 public:
  explicit WorkModeView(DtuWorkMode *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  DtuWorkMode *page_;
  PageFieldBinder *binder_;
  QGroupBox *group_;
  QComboBox *mode_;
  QLabel *label_;
  PageButtonRow buttons_;
};
