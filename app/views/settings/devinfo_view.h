// The device information page's widgets.
#pragma once

#include <QStringList>
#include <QWidget>

#include <utility>
#include <vector>

#include "base/dtu_text_id.h"

class DtuDevinfo;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class DevinfoView : public QWidget {
  Q_OBJECT

 public:
  explicit DevinfoView(DtuDevinfo *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  // Reboot and Reset ask first (Yes / No, default No).
  bool AskFirst(DtuTextId question_id);
  QLabel *NewLabel(const char *field);
  static QStringList Switches();

  DtuDevinfo *page_;
  PageFieldBinder *binder_;
  QGroupBox *group_;
  QLabel *log_level_label_;
  QPushButton *read_;
  QPushButton *set_;
  QPushButton *reboot_;
  QPushButton *reset_;
  QPushButton *save_local_;
  QPushButton *read_local_;
  std::vector<std::pair<const char *, QLabel *>> labels_;  // field, its label
  QComboBox *switches_[2] = {nullptr, nullptr};           // remote configuration, watchdog
};
