#include "app/views/kit/page_field_binder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QValidator>
#include <QVariant>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_typed_number.h"

PageFieldBinder::PageFieldBinder(DtuPage *page, QObject *parent) : QObject(parent), page_(page) {
  connect(page_, &DtuPage::Changed, this, &PageFieldBinder::Refresh);
  connect(page_, &DtuPage::ActionStarted, this, &PageFieldBinder::Refresh);  // the marks go
}

namespace {

// Digits only, never above the largest value: a value below the smallest
// may still grow into the range while it is typed (a Set names it if not).
class RangeValidator : public QValidator {
 public:
  RangeValidator(long long min, long long max, QObject *parent) : QValidator(parent), min_(min), max_(max) {}
  State validate(QString &input, int &) const override {
    if (input.isEmpty()) return Intermediate;
    for (const QChar c : input) {
      if (!c.isDigit()) return Invalid;
    }
    bool ok = false;
    const long long value = input.toLongLong(&ok);
    if (!ok || value > max_) return Invalid;
    return value >= min_ ? Acceptable : Intermediate;
  }

 private:
  long long min_;
  long long max_;
};

// Entries given in index order, as the rows of a list with that row order.
QStringList InRowOrder(const QStringList &items, const std::vector<int> &order) {
  if (order.empty()) return items;
  QStringList rows;
  for (int index : order) rows << (index >= 0 && index < items.size() ? items[index] : QString());
  return rows;
}

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
  bound_.push_back({name, edit, nullptr, {}, false, 0});
  edit->setText(QString::fromStdString(Value(name)));
  const DtuPageFieldInfo *info = Info(name);
  if (info != nullptr && info->is_number && info->Ranged() && info->min_value >= 0 &&
      info->max_value <= std::numeric_limits<int>::max()) {
    edit->setValidator(new RangeValidator(info->min_value, info->max_value, edit));
  }
  return edit;
}

QLineEdit *PageFieldBinder::ReadOnlyText(const char *field, QWidget *parent) {
  QLineEdit *edit = Text(field, parent);
  edit->setReadOnly(true);
  return edit;
}

QComboBox *PageFieldBinder::List(const char *field, const QStringList &items, QWidget *parent, std::vector<int> order) {
  auto *box = new QComboBox(parent);
  box->setObjectName(field);
  box->addItems(InRowOrder(items, order));
  const std::string name = field;
  connect(box, QOverload<int>::of(&QComboBox::activated), this, [this, box](int row) {
    const Bound *b = BoundFor(box);
    SetField(b->field, ValueOf(*b, row));
    emit Edited();
  });
  bound_.push_back({name, nullptr, box, std::move(order), false, 0});
  box->setCurrentIndex(RowOf(bound_.back(), Value(name)));
  return box;
}

QComboBox *PageFieldBinder::NumberList(const char *field, long long min, long long max, QWidget *parent) {
  QStringList numbers;
  for (long long n = min; n <= max; ++n) numbers << QString::number(n);
  QComboBox *box = List(field, numbers, parent);
  bound_.back().numbers = true;
  bound_.back().min = min;
  box->setCurrentIndex(RowOf(bound_.back(), Value(field)));
  return box;
}

void PageFieldBinder::DisableEntry(QComboBox *box, int row) {
  if (auto *model = qobject_cast<QStandardItemModel *>(box->model())) {
    if (QStandardItem *item = model->item(row)) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
  }
}

const PageFieldBinder::Bound *PageFieldBinder::BoundFor(const QComboBox *box) const {
  for (const Bound &b : bound_) {
    if (b.box == box) return &b;
  }
  return nullptr;
}

int PageFieldBinder::RowOf(const Bound &b, const std::string &value) {
  if (!DtuTypedAllDigits(value) && !(value.size() > 1 && value[0] == '-')) return -1;
  const long long index = std::atoll(value.c_str()) - (b.numbers ? b.min : 0);
  if (b.order.empty()) return static_cast<int>(index);
  for (size_t row = 0; row < b.order.size(); ++row) {
    if (b.order[row] == index) return static_cast<int>(row);
  }
  return -1;
}

std::string PageFieldBinder::ValueOf(const Bound &b, int row) {
  const long long index = b.order.empty() || row < 0 || row >= static_cast<int>(b.order.size())
                              ? row
                              : b.order[static_cast<size_t>(row)];
  return std::to_string(index + (b.numbers ? b.min : 0));
}

const DtuPageFieldInfo *PageFieldBinder::Info(const std::string &field) {
  if (!infos_read_) {
    infos_ = page_->Fields();
    infos_read_ = true;
  }
  for (const DtuPageFieldInfo &info : infos_) {
    if (info.name == field) return &info;
  }
  return nullptr;
}

void PageFieldBinder::SetListItems(QComboBox *box, const QStringList &items) {
  QSignalBlocker block(box);
  int index = box->currentIndex();
  box->clear();
  const Bound *bound = BoundFor(box);
  box->addItems(bound ? InRowOrder(items, bound->order) : items);
  if (index >= 0 && index < items.size()) {
    box->setCurrentIndex(index);
    return;
  }
  // An invalid selection becomes the first entry, in the model as well.
  box->setCurrentIndex(0);
  if (const Bound *b = BoundFor(box)) SetField(b->field, ValueOf(*b, 0));
}

void PageFieldBinder::Refresh() {
  for (const Bound &b : bound_) {
    const QString value = QString::fromStdString(Value(b.field));
    if (b.edit && b.edit->text() != value) b.edit->setText(value);
    if (b.box) {
      QSignalBlocker block(b.box);
      b.box->setCurrentIndex(RowOf(b, value.toStdString()));
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
