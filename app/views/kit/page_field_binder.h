// Binds widgets to a page's fields by the page's own field names: what the
// user types goes into the page model at once, and every change of the
// model (an answer, Read, Read Local) refreshes the widgets.
#pragma once

#include <QObject>
#include <QStringList>

#include <string>
#include <vector>

#include "pages/kit/dtu_page.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

class PageFieldBinder : public QObject {
  Q_OBJECT

 public:
  explicit PageFieldBinder(DtuPage *page, QObject *parent = nullptr);

  // A line edit bound to a text field; a number whose range the device's
  // format fixes takes only digits within that range.
  QLineEdit *Text(const char *field, QWidget *parent);
  // A read-only line edit showing a text field (device identity).
  QLineEdit *ReadOnlyText(const char *field, QWidget *parent);
  // A drop-down list bound to a list field. `order` gives, row by row, the
  // field's index each row stands for (empty: row i is index i), so that
  // lists whose indexes run ON, OFF still show OFF first.
  QComboBox *List(const char *field, const QStringList &items, QWidget *parent, std::vector<int> order = {});
  // A drop-down list of the whole numbers min..max bound to a number field
  // (QoS 0..2): the device takes nothing else.
  QComboBox *NumberList(const char *field, long long min, long long max, QWidget *parent);
  // Refills a bound list (a language change) and keeps its selection.
  void SetListItems(QComboBox *box, const QStringList &items);
  // An entry that can be shown (the device reported it) but not chosen.
  static void DisableEntry(QComboBox *box, int row);

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
    std::vector<int> order;  // list rows -> field indexes; empty: the same
    bool numbers = false;    // a NumberList: rows are the numbers from `min`
    long long min = 0;
  };
  void SetField(const std::string &field, const std::string &value);
  std::string Value(const std::string &field) const;
  const Bound *BoundFor(const QComboBox *box) const;
  static int RowOf(const Bound &b, const std::string &value);
  static std::string ValueOf(const Bound &b, int row);
  const DtuPageFieldInfo *Info(const std::string &field);

  DtuPage *page_;
  std::vector<Bound> bound_;
  std::vector<DtuPageFieldInfo> infos_;  // the page's declarations, read once
  bool infos_read_ = false;
};

// A button named for tests and the page's own wiring ("Read", "Set", ...).
QPushButton *NewPageButton(const char *object_name, QWidget *parent);

QStringList ToQStringList(const std::vector<std::string> &items);
QStringList ToQStringList(const char *const *items, int count);
