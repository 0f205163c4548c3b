// The business packet page's widgets: the packet type, its switch, format,
// edit mode and period, then either the content box or the rows of the field
// editor, the four buttons, and the tips box on the right.
#pragma once

#include <QWidget>

#include "app/views/kit/page_button_row.h"

class DtuBhu;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QGridLayout;

class BhuView : public QWidget {
  Q_OBJECT

 public:
  explicit BhuView(DtuBhu *page, QWidget *parent = nullptr);
  ~BhuView() override;
  void UpdateLanguage();

 private:
  struct FieldRow {
    QLabel *label;
    QComboBox *type;
    QLineEdit *value;
  };
  QComboBox *NewList(const char *name);
  QLabel *AddRow(QGridLayout *grid, QWidget *editor, QWidget *extra = nullptr);
  void BuildFieldRows(QGridLayout *grid);
  void ConnectEdits();
  // Model -> widgets (an answer, a Read Local, another packet type).
  void Refresh();
  void ApplyVisibility();
  void FillLists();

  DtuBhu *page_;
  bool refreshing_ = false;
  QComboBox *packet_type_;
  QComboBox *switch_;
  QComboBox *format_;
  QComboBox *edit_mode_;
  QComboBox *field_count_;
  QLineEdit *period_;
  QLabel *packet_type_label_;
  QLabel *switch_label_;
  QLabel *format_label_;
  QLabel *edit_mode_label_;
  QLabel *period_label_;
  QLabel *period_unit_;
  QLabel *field_count_label_;
  QLabel *type_heading_;
  QLabel *value_heading_;
  QLabel *content_caption_;
  QPlainTextEdit *content_;
  QPlainTextEdit *tips_;
  FieldRow rows_[10];
  PageButtonRow buttons_;
};
