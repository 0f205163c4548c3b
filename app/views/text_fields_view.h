// The widgets of a page made of labelled text fields (the MQTT pages): a
// group box with one row per field, an optional hint line and the four
// buttons.
#pragma once

#include <QWidget>

#include <optional>

#include "app/views/page_button_row.h"

class DtuTextFieldsPage;
class PageFieldBinder;
class QGroupBox;
class QLabel;

class TextFieldsView : public QWidget {
  Q_OBJECT

 public:
  // group_text_id / hint_text_id: text ids, or none for a fixed "MQTT" title
  // and no hint.
  TextFieldsView(DtuTextFieldsPage *page, std::optional<DtuTextId> group_text_id,
                 std::optional<DtuTextId> hint_text_id, QWidget *parent);
  void UpdateLanguage();

 private:
  PageFieldBinder *binder_;
  std::optional<DtuTextId> group_text_id_;
  std::optional<DtuTextId> hint_text_id_;
  QGroupBox *group_;
  QLabel *hint_;
  PageButtonRow buttons_;
};
