// Binds widgets to a page's fields by the page's own field names: what the
// user types goes into the page model at once, and every change of the
// model (an answer, Read, Read Local) refreshes the widgets.
#pragma once

#include <QObject>
#include <QStringList>

#include <string>
#include <vector>

class DtuPage;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

class PageFieldBinder : public QObject {
  Q_OBJECT

 public:
  explicit PageFieldBinder(DtuPage *page, QObject *parent = nullptr);

  // A line edit bound to a text field.
  QLineEdit *Text(const char *field, QWidget *parent);
  // A read-only line edit showing a text field (device identity).
  QLineEdit *ReadOnlyText(const char *field, QWidget *parent);
  // A drop-down list bound to a list field.
  QComboBox *List(const char *field, const QStringList &items, QWidget *parent);
  // Refills a bound list (a language change) and keeps its selection.
  void SetListItems(QComboBox *box, const QStringList &items);

  // Puts every field's value into its widget.
  void Refresh();

 signals:
  // The user changed a field (visibility rules may follow).
  void Edited();

 private:
  struct Bound {
    std::string field;
    QLineEdit *edit;
    QComboBox *box;
  };
  void SetField(const std::string &field, const std::string &value);
  std::string Value(const std::string &field) const;

  DtuPage *page_;
  std::vector<Bound> bound_;
};

// A button named for tests and the page's own wiring ("Read", "Set", ...).
QPushButton *NewPageButton(const char *object_name, QWidget *parent);

QStringList ToQStringList(const std::vector<std::string> &items);
QStringList ToQStringList(const char *const *items, int count);
