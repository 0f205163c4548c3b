#include "app/shell/gui_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>
#include <deque>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"

namespace {

struct PendingMessage {
  QString text;
  DtuMessageKind kind;
};

void ShowBox(const PendingMessage &message) {
  const QMessageBox::Icon icon =
      message.kind == DtuMessageKind::kWarning ? QMessageBox::Warning : QMessageBox::Information;
  QMessageBox box(icon, QString::fromUtf8(DtuLangText(DtuTextId::kWindowCaption)), message.text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

// GUI thread only. A box's own event loop runs queued work, which may bring
// more messages: they wait their turn instead of opening on top of the box,
// so the user reads them one at a time in the order they came.
std::deque<PendingMessage> &Pending() {
  static std::deque<PendingMessage> pending;
  return pending;
}
bool g_showing = false;

void ShowInTurn(const PendingMessage &message) {
  Pending().push_back(message);
  if (g_showing) {
    return;
  }
  g_showing = true;
  while (!Pending().empty()) {
    PendingMessage next = Pending().front();
    Pending().pop_front();
    ShowBox(next);
  }
  g_showing = false;
}

}  // namespace

void DtuInstallGuiMessageSink() {
  DtuSetKindMessageSink([](const std::string &text, DtuMessageKind kind) {
    const PendingMessage message{QString::fromStdString(text), kind};
    QCoreApplication *app = QCoreApplication::instance();
    if (app == nullptr) {
      std::fprintf(stderr, "%s\n", text.c_str());  // no toolkit (yet): not lost
      return;
    }
    if (QThread::currentThread() == app->thread()) {
      ShowInTurn(message);
      return;
    }
    QMetaObject::invokeMethod(app, [message] { ShowInTurn(message); }, Qt::QueuedConnection);
  });
}

void DtuRemoveGuiMessageSink() { DtuSetKindMessageSink(nullptr); }
