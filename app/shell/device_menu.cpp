#include "app/shell/device_menu.h"

#include <QAction>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "app/shell/file_menu.h"
#include "app/shell/page_host.h"
#include "app/views/kit/confirm_question.h"
#include "app/workbench/workbench_dialog.h"
#include "app/workbench/workbench_texts.h"
#include "base/dtu_message.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"

DeviceMenu::DeviceMenu(QMainWindow &window, QAction *before, DtuPageHost &pages, FileMenu &file_menu)
    : QObject(&window), window_(window), pages_(pages), file_menu_(file_menu) {
  menu_ = new QMenu(&window);
  window.menuBar()->insertMenu(before, menu_);
  QStyle *style = window.style();
  read_all_ = menu_->addAction(style->standardIcon(QStyle::SP_ArrowDown), QString(), this,
                               [this] { Start(WorkbenchVerb::kRead); });
  write_all_ = menu_->addAction(style->standardIcon(QStyle::SP_ArrowUp), QString(), this,
                                [this] { Start(WorkbenchVerb::kWrite); });
  compare_ = menu_->addAction(style->standardIcon(QStyle::SP_FileDialogContentsView), QString(), this,
                              [this] { Start(WorkbenchVerb::kCompare); });
  toolbar_ = window.addToolBar(QString());
  toolbar_->setObjectName(QStringLiteral("DeviceToolBar"));
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolbar_->setMovable(false);
  toolbar_->addActions({read_all_, write_all_, compare_});
  window.installEventFilter(this);
  UpdateLanguage();
}

void DeviceMenu::UpdateLanguage() {
  menu_->setTitle(WbText(DtuTextId::kMenuDevice));
  toolbar_->setWindowTitle(WbText(DtuTextId::kWorkbenchToolbar));
  read_all_->setText(WbText(DtuTextId::kReadAllPages));
  write_all_->setText(WbText(DtuTextId::kWriteAllPages));
  compare_->setText(WbText(DtuTextId::kCompareWithFile));
  if (dialog_) dialog_->UpdateLanguage();
}

bool DeviceMenu::Running() const { return dialog_ && dialog_->Run().Running(); }

WorkbenchDialog *DeviceMenu::Start(WorkbenchVerb verb) {
  if (Running()) return nullptr;
  DtuCmdPortPage &port = *pages_.CmdPortPage();
  if (!port.IsOpen()) {
    DtuWarningBox(WbText(DtuTextId::kWorkbenchPortClosed).toStdString());
    return nullptr;
  }
  if (verb == WorkbenchVerb::kWrite &&
      !DtuAskYesNo(&window_, WbFormat(DtuTextId::kWriteAllAsk, {file_menu_.InUse(), port.PortName()}))) {
    return nullptr;
  }
  if (dialog_) dialog_->close();
  auto run = std::make_unique<WorkbenchRun>(pages_, port, verb);
  WorkbenchRun *started = run.get();
  dialog_ = new WorkbenchDialog(std::move(run), &window_);
  dialog_->setAttribute(Qt::WA_DeleteOnClose);
  connect(started, &WorkbenchRun::Finished, this, [this] {
    Hold(false);
    if (close_asked_) window_.close();
  });
  Hold(true);
  dialog_->show();
  return dialog_;
}

// The page area is held so that no page's own button starts lines of its
// own among the run's.
void DeviceMenu::Hold(bool held) {
  pages_.setEnabled(!held);
  for (QAction *action : {read_all_, write_all_, compare_}) action->setEnabled(!held);
  file_menu_.SetEnabled(!held);
}

bool DeviceMenu::eventFilter(QObject *watched, QEvent *event) {
  if (watched == &window_ && event->type() == QEvent::Close && Running()) {
    close_asked_ = true;
    dialog_->Run().Cancel();
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}
