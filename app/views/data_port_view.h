// The data port page's widgets.
#pragma once

#include <QWidget>

class DtuDataPort;
class PageFieldBinder;
class QGroupBox;
class QPushButton;

class DataPortView : public QWidget {
  Q_OBJECT

 public:
  explicit DataPortView(DtuDataPort *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  DtuDataPort *page_;
  PageFieldBinder *binder_;
  QGroupBox *group_;
  QPushButton *set_;
  QPushButton *read_;
  QPushButton *save_local_;
  QPushButton *read_local_;
};
