// The widgets of a page made of labelled text fields (the MQTT pages): a
// group box with one row per field, an optional hint line and the four
// buttons.
#pragma once

#include <QWidget>

#include "app/views/page_button_row.h"

class DtuTextFieldsPage;
class PageFieldBinder;
class QGroupBox;
class QLabel;

class TextFieldsView : public QWidget {
  Q_OBJECT

 public:
  // group_text_id / hint_text_id: text ids, or -1 for a fixed "MQTT" title
  // and no hint.
  TextFieldsView(DtuTextFieldsPage *page, int group_text_id, int hint_text_id, QWidget *parent);
  void UpdateLanguage();

 private:
  PageFieldBinder *binder_;
  int group_text_id_;
  int hint_text_id_;
  QGroupBox *group_;
  QLabel *hint_;
  PageButtonRow buttons_;
};
