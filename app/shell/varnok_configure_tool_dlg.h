// The main window: the page tree on the left, the tab area with the pages on
// the right, the Language menu and the about box.
#pragma once

#include <QMainWindow>

class BusyStatusBar;
class DeviceMenu;
class DtuPageHost;
class FileMenu;
class QAction;
class QMenu;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class CVarnokConfigureToolDlg : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr const char *kConfigFileName = "Zev_DtuConfig.txt";

  explicit CVarnokConfigureToolDlg(QWidget *parent = nullptr);

  // Rebuilds the tree: items with their page codes, the three parents expanded.
  void BuildPageTree();
  // Shows the page of a code (see DtuPageHost::ShowPage).
  void ShowPage(int code);
  // Re-labels the whole window; the selected page stays selected.
  void ApplyLanguage();
  // 1 English, 0 Chinese: sets DtuLangFlag and re-labels.
  void SetLanguage(int flag);
  // Puts a port (for example a simulator's pseudo-terminal) in the port list
  // and selects it.
  void PresetPort(const QString &path);
  // Selects the tree item of a page code, as a click would; false when no
  // item carries the code.
  bool SelectPage(int code);

  QTreeWidget *PageTree() const { return tree_; }
  QTabWidget *TabArea() const { return tabs_; }
  DtuPageHost *Pages() const { return pages_; }
  BusyStatusBar *Busy() const { return busy_; }
  QAction *ChineseAction() const { return chinese_; }
  QAction *EnglishAction() const { return english_; }
  QAction *AboutAction() const { return about_; }
  FileMenu *Files() const { return file_menu_; }
  DeviceMenu *Device() const { return device_menu_; }

 public slots:
  void ShowAbout();

 private:
  void BuildMenus();
  void BuildCentralArea();
  void BuildStatusBar();
  int SelectedPageCode() const;
  QTreeWidgetItem *FindItemWithCode(int code) const;
  void OnTreeSelectionChanged();

  QTreeWidget *tree_ = nullptr;
  QTabWidget *tabs_ = nullptr;
  DtuPageHost *pages_ = nullptr;
  BusyStatusBar *busy_ = nullptr;
  QMenu *language_menu_ = nullptr;
  QMenu *help_menu_ = nullptr;
  QAction *chinese_ = nullptr;
  QAction *english_ = nullptr;
  QAction *about_ = nullptr;
  FileMenu *file_menu_ = nullptr;
  DeviceMenu *device_menu_ = nullptr;
};
