#include "pages/dtu_main_thread_dispatcher.h"

#include <QMetaObject>

#include "link/dtu_cmd_resp_table.h"

DtuMainThreadDispatcher::DtuMainThreadDispatcher(QObject *parent) : QObject(parent) {}

DtuCmdPort::ChunkDispatcher DtuMainThreadDispatcher::Dispatcher() {
  return [this](const std::string &chunk) {
    // Posted events to one receiver are delivered in the order they were posted.
    QMetaObject::invokeMethod(this, [this, chunk] { Process(chunk); }, Qt::QueuedConnection);
  };
}

void DtuMainThreadDispatcher::Process(const std::string &chunk) {
  DtuCmdRecvProcess(chunk.data(), static_cast<int>(chunk.size()));
  emit ChunkProcessed(QByteArray(chunk.data(), static_cast<int>(chunk.size())));
}
