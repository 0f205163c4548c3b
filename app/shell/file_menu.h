// The File menu: "Open Configuration File…", "Save Configuration File
// As…" and the recent files (kept in QSettings), and the file in use named
// in the status bar. The file in use is the one every page's Save to Local
// and Read Local and the Device menu work on (DtuPageConfigPath); it starts
// as CVarnokConfigureToolDlg::kConfigFileName in the working folder.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

class FileMenu : public QObject {
  Q_OBJECT

 public:
  static constexpr int kRecentMax = 8;

  // Puts the menu before `before` in the window's menu bar.
  FileMenu(QMainWindow &window, QAction *before);

  // Makes a configuration file that reads the one in use; false (and a
  // message naming it) when it does not read.
  bool Open(const QString &path);
  // Writes the file in use under `path`, which is then in use; false (and a
  // message naming it and why) when it cannot be written.
  bool SaveAs(const QString &path);
  // The file in use, as an absolute path.
  QString InUse() const;
  QStringList Recent() const;
  void UpdateLanguage();
  // Holds the menu's actions (during a whole-device run).
  void SetEnabled(bool enabled);

  QMenu *Menu() const { return menu_; }
  QAction *OpenAction() const { return open_; }
  QAction *SaveAsAction() const { return save_as_; }
  QLabel *StatusLabel() const { return status_; }

 private:
  void AskOpen();
  void AskSaveAs();
  void Remember(const QString &path);
  void RebuildRecent();
  void ShowInUse();

  QMainWindow &window_;
  QMenu *menu_;
  QMenu *recent_;
  QAction *open_;
  QAction *save_as_;
  QLabel *status_;
};
