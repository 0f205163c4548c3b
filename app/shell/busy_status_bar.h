// The main window's status bar: the port and its line settings when it is
// open ("Port closed" otherwise), and while a page's Read or Set runs,
// "Reading Device Info… 3 of 7" with a small progress bar. While a page's
// action runs, that page's Read and Set buttons are disabled; they come back
// when it ends (done, failed or port closed).
#pragma once

#include <QObject>
#include <QString>

#include <vector>

#include "base/dtu_text_id.h"

class DtuCmdPortPage;
class DtuPage;
class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

class BusyStatusBar : public QObject {
  Q_OBJECT

 public:
  BusyStatusBar(QStatusBar *bar, DtuCmdPortPage *port_page);

  // Follows a page's actions; `title_text_id` names the page in the bar (its
  // tree text); `view` holds its Read and Set buttons.
  void Follow(DtuPage *page, QWidget *view, DtuTextId title_text_id);
  void UpdateLanguage();

  QString PortText() const;
  QString ActionText() const;
  QProgressBar *Progress() const { return progress_; }

 private:
  struct Followed {
    DtuPage *page;
    QWidget *view;
    DtuTextId title_text_id;
  };
  void ShowAction(const Followed &followed);
  void OnActionEnded(const Followed &followed);
  static void EnableReadSet(QWidget *view, bool enabled);

  DtuCmdPortPage *port_page_;
  QLabel *action_label_;
  QProgressBar *progress_;
  QLabel *port_label_;
  std::vector<Followed> followed_;
  const Followed *shown_ = nullptr;  // the page whose action the bar shows
};
