#include "app/shell/file_menu.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>

#include <cerrno>
#include <cstring>

#include "app/workbench/workbench_texts.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "config/dtu_file_io.h"
#include "pages/kit/dtu_page_store.h"

namespace {

const char *const kRecentKey = "files/recent";

QSettings Settings() { return QSettings(QStringLiteral("Varnok"), QStringLiteral("varnok-configure-tool")); }

QString Absolute(const std::string &path) { return QFileInfo(QString::fromStdString(path)).absoluteFilePath(); }

}  // namespace

FileMenu::FileMenu(QMainWindow &window, QAction *before) : QObject(&window), window_(window) {
  menu_ = new QMenu(&window);
  window.menuBar()->insertMenu(before, menu_);
  open_ = menu_->addAction(QString(), this, &FileMenu::AskOpen);
  open_->setShortcut(QKeySequence::Open);
  save_as_ = menu_->addAction(QString(), this, &FileMenu::AskSaveAs);
  save_as_->setShortcut(QKeySequence::SaveAs);
  menu_->addSeparator();
  recent_ = menu_->addMenu(QString());
  status_ = new QLabel;
  window.statusBar()->addPermanentWidget(status_);
  UpdateLanguage();
}

QString FileMenu::InUse() const { return Absolute(DtuPageConfigPath()); }

QStringList FileMenu::Recent() const { return Settings().value(kRecentKey).toStringList(); }

void FileMenu::UpdateLanguage() {
  menu_->setTitle(WbText(DtuTextId::kMenuFile));
  open_->setText(WbText(DtuTextId::kFileOpen));
  save_as_->setText(WbText(DtuTextId::kFileSaveAs));
  recent_->setTitle(WbText(DtuTextId::kFileRecent));
  RebuildRecent();
  ShowInUse();
}

void FileMenu::SetEnabled(bool enabled) {
  for (QAction *action : menu_->actions()) action->setEnabled(enabled);
}

void FileMenu::ShowInUse() {
  status_->setText(WbFormat(DtuTextId::kFileInUse, {QFileInfo(InUse()).fileName()}));
  status_->setToolTip(InUse());
}

void FileMenu::RebuildRecent() {
  recent_->clear();
  const QStringList files = Recent();
  if (files.isEmpty()) recent_->addAction(WbText(DtuTextId::kFileRecentNone))->setEnabled(false);
  for (const QString &file : files) {
    recent_->addAction(file, this, [this, file] { Open(file); });
  }
}

void FileMenu::Remember(const QString &path) {
  QStringList files = Recent();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentMax) files.removeLast();
  QSettings settings = Settings();
  settings.setValue(kRecentKey, files);
  RebuildRecent();
}

bool FileMenu::Open(const QString &path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  DtuConfig config;
  if (!config.LoadFromFile(absolute.toStdString())) {
    DtuWarningBox(WbFormat(DtuTextId::kFileOpenFailed, {absolute, InUse()}).toStdString());
    return false;
  }
  DtuPageSetConfigPath(absolute.toStdString());
  Remember(absolute);
  ShowInUse();
  return true;
}

bool FileMenu::SaveAs(const QString &path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  std::string bytes;
  std::string why;
  if (DtuReadWholeFile(DtuPageConfigPath(), bytes, &why) != DtuFileRead::kOk) {
    DtuWarningBox(WbFormat(DtuTextId::kFileSaveAsFailed, {absolute, QString::fromStdString(why)}).toStdString());
    return false;
  }
  if (!DtuWriteFileAtomically(absolute.toStdString(), bytes)) {
    DtuWarningBox(WbFormat(DtuTextId::kFileSaveAsFailed, {absolute, QString::fromLocal8Bit(std::strerror(errno))})
                      .toStdString());
    return false;
  }
  DtuPageSetConfigPath(absolute.toStdString());
  Remember(absolute);
  ShowInUse();
  DtuMessageBox(WbFormat(DtuTextId::kFileSavedAs, {absolute}).toStdString());
  return true;
}

void FileMenu::AskOpen() {
  const QString path = QFileDialog::getOpenFileName(&window_, WbText(DtuTextId::kFileOpen),
                                                    QFileInfo(InUse()).path(), WbText(DtuTextId::kFileFilter));
  if (!path.isEmpty()) Open(path);
}

void FileMenu::AskSaveAs() {
  const QString path = QFileDialog::getSaveFileName(&window_, WbText(DtuTextId::kFileSaveAs), InUse(),
                                                    WbText(DtuTextId::kFileFilter));
  if (!path.isEmpty()) SaveAs(path);
}
