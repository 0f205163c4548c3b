#include "app/gui_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"

namespace {

void ShowBox(const QString &text) {
  QMessageBox box(QMessageBox::Information, QString::fromUtf8(DtuLangText(0)), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

}  // namespace

void DtuInstallGuiMessageSink() {
  DtuSetMessageSink([](const std::string &message) {
    const QString text = QString::fromStdString(message);
    QCoreApplication *app = QCoreApplication::instance();
    if (app == nullptr) {
      std::fprintf(stderr, "%s\n", message.c_str());  // no toolkit (yet): not lost
      return;
    }
    if (QThread::currentThread() == app->thread()) {
      ShowBox(text);
      return;
    }
    QMetaObject::invokeMethod(app, [text] { ShowBox(text); }, Qt::QueuedConnection);
  });
}

void DtuRemoveGuiMessageSink() { DtuSetMessageSink(nullptr); }
