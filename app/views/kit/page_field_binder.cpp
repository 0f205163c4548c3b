#include "app/views/kit/page_field_binder.h"

#include <QComboBox>
#include <QVariant>

#include <algorithm>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "pages/kit/dtu_page.h"

PageFieldBinder::PageFieldBinder(DtuPage *page, QObject *parent) : QObject(parent), page_(page) {
  connect(page_, &DtuPage::Changed, this, &PageFieldBinder::Refresh);
  connect(page_, &DtuPage::ActionStarted, this, &PageFieldBinder::Refresh);  // the marks go
}

namespace {

// A field the device did not answer keeps its value and gets a red frame.
void Mark(QWidget *widget, bool marked) {
  if (widget->property("unanswered").toBool() == marked) return;
  widget->setProperty("unanswered", marked);
  widget->setStyleSheet(marked ? QStringLiteral("border: 2px solid #c0392b;") : QString());
}

}  // namespace

QLineEdit *PageFieldBinder::Text(const char *field, QWidget *parent) {
  auto *edit = new QLineEdit(parent);
  edit->setObjectName(field);
  const std::string name = field;
  connect(edit, &QLineEdit::textEdited, this, [this, name](const QString &text) {
    std::string error;
    if (!page_->SetField(name, text.toStdString(), error)) {
      // A pasted line break or tab: the page keeps its value, and so does
      // the field, instead of showing a text the page does not hold.
      Refresh();
      DtuWarningBox(error);
      return;
    }
    emit Edited();
  });
  bound_.push_back({name, edit, nullptr});
  edit->setText(QString::fromStdString(Value(name)));
  return edit;
}

QLineEdit *PageFieldBinder::ReadOnlyText(const char *field, QWidget *parent) {
  QLineEdit *edit = Text(field, parent);
  edit->setReadOnly(true);
  return edit;
}

QComboBox *PageFieldBinder::List(const char *field, const QStringList &items, QWidget *parent) {
  auto *box = new QComboBox(parent);
  box->setObjectName(field);
  box->addItems(items);
  const std::string name = field;
  connect(box, QOverload<int>::of(&QComboBox::activated), this, [this, name](int index) {
    SetField(name, std::to_string(index));
    emit Edited();
  });
  bound_.push_back({name, nullptr, box});
  box->setCurrentIndex(std::atoi(Value(name).c_str()));
  return box;
}

void PageFieldBinder::SetListItems(QComboBox *box, const QStringList &items) {
  QSignalBlocker block(box);
  int index = box->currentIndex();
  box->clear();
  box->addItems(items);
  if (index >= 0 && index < items.size()) {
    box->setCurrentIndex(index);
    return;
  }
  // An invalid selection becomes the first entry, in the model as well.
  box->setCurrentIndex(0);
  for (const Bound &b : bound_) {
    if (b.box == box) SetField(b.field, "0");
  }
}

void PageFieldBinder::Refresh() {
  for (const Bound &b : bound_) {
    const QString value = QString::fromStdString(Value(b.field));
    if (b.edit && b.edit->text() != value) b.edit->setText(value);
    if (b.box) {
      QSignalBlocker block(b.box);
      b.box->setCurrentIndex(value.toInt());
    }
    const auto &marked = page_->MarkedFields();
    const bool unanswered = std::find(marked.begin(), marked.end(), b.field) != marked.end();
    Mark(b.edit ? static_cast<QWidget *>(b.edit) : b.box, unanswered);
  }
}

// A view that binds a name its page does not have is a programming error:
// the log names it rather than the edit vanishing without a trace.
void PageFieldBinder::SetField(const std::string &field, const std::string &value) {
  std::string error;
  if (!page_->SetField(field, value, error)) DTU_LOG("%s: %s", page_->PageName(), error.c_str());
}

std::string PageFieldBinder::Value(const std::string &field) const {
  std::string value;
  if (!page_->GetField(field, value)) DTU_LOG("%s: unknown field %s", page_->PageName(), field.c_str());
  return value;
}

QPushButton *NewPageButton(const char *object_name, QWidget *parent) {
  auto *button = new QPushButton(parent);
  button->setObjectName(object_name);
  return button;
}

QStringList ToQStringList(const std::vector<std::string> &items) {
  QStringList out;
  for (const std::string &item : items) out << QString::fromStdString(item);
  return out;
}

QStringList ToQStringList(const char *const *items, int count) {
  QStringList out;
  for (int i = 0; i < count; ++i) out << QString::fromUtf8(items[i]);
  return out;
}
