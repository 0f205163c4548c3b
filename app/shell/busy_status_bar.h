// The main window's status bar: the port and its line settings when it is
// open ("Port closed" otherwise), and while a page's Read or Set runs,
// "Reading Device Info… 3 of 7" with a small progress bar. While a page's
// action runs, that page's Read and Set buttons are disabled; they come back
// when it ends (done, failed or port closed). Pages that run their Read and
// Set by steps of their own (the Modbus, DL/T 645 and business packet pages)
// start no action: the bar also asks every page a few times a second whether
// it works, shows it busy, and while it does keeps its Read, Set, Save to
// Local and Read Local, and every page's Reboot and Reset, from being pressed.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

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
  // Holds or frees every followed view's buttons as the last poll found the
  // pages (a view built since has buttons the poll has not seen).
  void Reapply();

  QString PortText() const;
  QString ActionText() const;
  QProgressBar *Progress() const { return progress_; }

 private:
  struct Followed {
    DtuPage *page;
    QWidget *view;
    DtuTextId title_text_id;
    bool working = false;  // as the last poll saw it
  };
  // Asks every page whether it works and sets buttons and bar to match.
  void Poll();
  // "Modbus: working with the device…" for the first page that works.
  QString WorkingText() const;
  bool Works(const DtuPage &page);
  static void EnableNamed(QWidget *view, bool enabled, bool all_actions);
  void ShowAction(const Followed &followed);
  void OnActionEnded(const Followed &followed);
  static void EnableReadSet(QWidget *view, bool enabled);

  DtuCmdPortPage *port_page_;
  QLabel *action_label_;
  QProgressBar *progress_;
  QLabel *port_label_;
  std::vector<Followed> followed_;
  const Followed *shown_ = nullptr;  // the page whose action the bar shows
  QTimer poll_;
  // Since the command queue last held or wrote a line: a page whose flag
  // never clears is not shown busy for ever.
  QElapsedTimer link_quiet_;
};
