#include "app/gui_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"

namespace {

void ShowBox(QWidget *owner, const QString &text) {
  QMessageBox box(QMessageBox::Information, QString::fromUtf8(DtuLangText(0)), text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace

void DtuInstallGuiMessageSink(QWidget *owner) {
  QPointer<QWidget> guarded(owner);
  DtuSetMessageSink([guarded](const std::string &message) {
    const QString text = QString::fromStdString(message);
    QCoreApplication *app = QCoreApplication::instance();
    if (app == nullptr) {
      return;
    }
    if (QThread::currentThread() == app->thread()) {
      ShowBox(guarded.data(), text);
      return;
    }
    QMetaObject::invokeMethod(app, [guarded, text] { ShowBox(guarded.data(), text); }, Qt::QueuedConnection);
  });
}

void DtuRemoveGuiMessageSink() { DtuSetMessageSink(nullptr); }
