// The about box: the application icon, name and version, in the current
// language.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget *parent = nullptr);
};
