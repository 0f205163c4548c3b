// What the run dialogs (the Device menu's runs, the fleet apply) share: a
// heading, the middle (the progress table, or more), the summary line and
// the row of Cancel, Save Report… and Close, the last two held until the
// run is over.
#pragma once

class QDialog;
class QLabel;
class QPushButton;
class QWidget;

struct WbRunFrame {
  QLabel *heading;
  QLabel *summary;
  QPushButton *cancel;
  QPushButton *save_report;
  QPushButton *close;
};

// Lays the frame out on `dialog` around `middle`.
WbRunFrame WbBuildRunFrame(QDialog *dialog, QWidget *middle);
