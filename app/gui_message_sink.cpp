#include "app/gui_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>
#include <deque>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"

namespace {

void ShowBox(const QString &text) {
  QMessageBox box(QMessageBox::Information, QString::fromUtf8(DtuLangText(DtuTextId::kWindowCaption)), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

// GUI thread only. A box's own event loop runs queued work, which may bring
// more messages: they wait their turn instead of opening on top of the box,
// so the user reads them one at a time in the order they came.
std::deque<QString> &Pending() {
  static std::deque<QString> pending;
  return pending;
}
bool g_showing = false;

void ShowInTurn(const QString &text) {
  Pending().push_back(text);
  if (g_showing) {
    return;
  }
  g_showing = true;
  while (!Pending().empty()) {
    QString next = Pending().front();
    Pending().pop_front();
    ShowBox(next);
  }
  g_showing = false;
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
      ShowInTurn(text);
      return;
    }
    QMetaObject::invokeMethod(app, [text] { ShowInTurn(text); }, Qt::QueuedConnection);
  });
}

void DtuRemoveGuiMessageSink() { DtuSetMessageSink(nullptr); }
