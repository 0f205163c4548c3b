// The Device menu and its toolbar: "Read All Pages", "Write All Pages" and
// "Compare with File", each a whole-device run of the provisioning engine
// on the window's pages and its open port (app/workbench/workbench_run.h),
// shown in a WorkbenchDialog. Write All Pages asks first. While a run goes
// the page area and the File and Device actions are held, and closing the
// window asks the run to stop first.
#pragma once

#include <QObject>
#include <QPointer>

#include "app/workbench/workbench_dialog.h"
#include "app/workbench/workbench_run.h"

class DtuPageHost;
class FileMenu;
class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

class DeviceMenu : public QObject {
  Q_OBJECT

 public:
  DeviceMenu(QMainWindow &window, QAction *before, DtuPageHost &pages, FileMenu &file_menu);

  // Starts a run in a new dialog; null when the port is not open (the user
  // was told) or Write All Pages was not confirmed.
  WorkbenchDialog *Start(WorkbenchVerb verb);
  // The dialog of the last run, while it is open.
  WorkbenchDialog *Dialog() const { return dialog_; }
  bool Running() const;
  void UpdateLanguage();

  QAction *ReadAllAction() const { return read_all_; }
  QAction *WriteAllAction() const { return write_all_; }
  QAction *CompareAction() const { return compare_; }
  QToolBar *ToolBar() const { return toolbar_; }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void Hold(bool held);

  QMainWindow &window_;
  DtuPageHost &pages_;
  FileMenu &file_menu_;
  QMenu *menu_;
  QToolBar *toolbar_;
  QAction *read_all_;
  QAction *write_all_;
  QAction *compare_;
  QPointer<WorkbenchDialog> dialog_;
  bool close_asked_ = false;
};
