// The widgets of a page declared by a field table: a group box with one row
// per field (a line edit, or a drop-down list for a list field), an optional
// hint line and the four buttons.
#pragma once

#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

#include "app/views/kit/page_button_row.h"

class DtuFieldTablePage;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QLabel;

class FieldTableView : public QWidget {
  Q_OBJECT

 public:
  // group_text_id / hint_text_id: text ids, or none for a fixed "MQTT" title
  // and no hint.
  FieldTableView(DtuFieldTablePage *page, std::optional<DtuTextId> group_text_id,
                 std::optional<DtuTextId> hint_text_id, QWidget *parent);
  void UpdateLanguage();

 private:
  QWidget *FieldWidget(size_t field);

  DtuFieldTablePage *page_;
  PageFieldBinder *binder_;
  std::optional<DtuTextId> group_text_id_;
  std::optional<DtuTextId> hint_text_id_;
  QGroupBox *group_;
  QLabel *hint_;
  PageButtonRow buttons_;
  std::vector<std::pair<size_t, QComboBox *>> lists_;  // field, its box
  std::vector<QLabel *> labels_;                       // one per field, in field order
};

// The group title and hint of a page whose view is its field table alone.
struct FieldTableTexts {
  std::optional<DtuTextId> group;  // none: the fixed "MQTT" title
  std::optional<DtuTextId> hint;
};

// That view, with its texts in its type, so the view table builds it as any
// other (DtuMakeView<FieldTableViewOf<kTexts>, Page>):
//   constexpr FieldTableTexts kAliyunTexts{DtuTextId::kAliyunGroup, DtuTextId::kAliyunInstanceIdHint};
template <const FieldTableTexts &Texts>
class FieldTableViewOf : public FieldTableView {
 public:
  explicit FieldTableViewOf(DtuFieldTablePage *page, QWidget *parent = nullptr)
      : FieldTableView(page, Texts.group, Texts.hint, parent) {}
};
