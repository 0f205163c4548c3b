// The network page's widgets: the manual APN fields show only for a manual
// APN.
#pragma once

#include <QWidget>

#include "app/views/kit/page_button_row.h"

class DtuNet;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

class NetView : public QWidget {
  Q_OBJECT

 public:
  explicit NetView(DtuNet *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  void ApplyVisibility();

  DtuNet *page_;
  PageFieldBinder *binder_;
  QGroupBox *group_;
  QLabel *dial_type_label_;
  QComboBox *dial_type_;
  QLabel *labels_[3];      // APN, user name, password
  QLineEdit *fields_[3];
  PageButtonRow buttons_;
};
