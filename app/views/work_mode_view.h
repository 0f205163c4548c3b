// The work mode page's widgets.
#pragma once

#include <QWidget>

class DtuWorkMode;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QPushButton;

class WorkModeView : public QWidget {
  Q_OBJECT

 public:
  explicit WorkModeView(DtuWorkMode *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  DtuWorkMode *page_;
  PageFieldBinder *binder_;
  QGroupBox *group_;
  QComboBox *mode_;
  QPushButton *set_;
  QPushButton *read_;
  QPushButton *save_local_;
  QPushButton *read_local_;
};
