#include "pages/kit/dtu_main_thread_dispatcher.h"

#include <QCoreApplication>
#include <QEvent>

#include "link/dtu_cmd_resp_table.h"

namespace {

const QEvent::Type kChunkEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kPortLostEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kOutcomeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class OutcomeEvent : public QEvent {
 public:
  explicit OutcomeEvent(const DtuCmdReport &report) : QEvent(kOutcomeEvent), report_(report) {}
  const DtuCmdReport &Report() const { return report_; }

 private:
  DtuCmdReport report_;
};

class TextEvent : public QEvent {
 public:
  TextEvent(QEvent::Type type, std::string text) : QEvent(type), text_(std::move(text)) {}
  const std::string &Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace

DtuMainThreadDispatcher::DtuMainThreadDispatcher(QObject *parent) : QObject(parent) {}

void DtuMainThreadDispatcher::Post(int type, const std::string &text) {
  auto *event = new TextEvent(static_cast<QEvent::Type>(type), text);
  // Publishes the event's contents through a lock the receiving side takes
  // too (see event()): Qt's own queue lock is invisible to race detectors.
  { std::lock_guard<std::mutex> publish(handoff_mutex_); }
  QCoreApplication::postEvent(this, event);
}

DtuCmdPort::ChunkDispatcher DtuMainThreadDispatcher::Dispatcher() {
  // Events posted to one receiver are delivered in the order they were posted.
  return [this](const std::string &chunk) { Post(kChunkEvent, chunk); };
}

std::function<void(const std::string &)> DtuMainThreadDispatcher::PortLostHandler() {
  return [this](const std::string &text) { Post(kPortLostEvent, text); };
}

DtuCmdPort::OutcomeDispatcher DtuMainThreadDispatcher::OutcomeDispatcher() {
  return [this](const DtuCmdReport &report) {
    auto *event = new OutcomeEvent(report);
    { std::lock_guard<std::mutex> publish(handoff_mutex_); }
    QCoreApplication::postEvent(this, event);
  };
}

void DtuMainThreadDispatcher::AttachTo(DtuCmdPort &port) {
  port.SetChunkDispatcher(Dispatcher());
  port.SetPortLostHandler(PortLostHandler());
  port.SetOutcomeDispatcher(OutcomeDispatcher());
}

void DtuMainThreadDispatcher::DetachFrom(DtuCmdPort &port) {
  port.SetChunkDispatcher(nullptr);
  port.SetPortLostHandler(nullptr);
  port.SetOutcomeDispatcher(nullptr);
}

bool DtuMainThreadDispatcher::event(QEvent *event) {
  { std::lock_guard<std::mutex> receive(handoff_mutex_); }
  if (event->type() == kOutcomeEvent) {
    const DtuCmdReport &report = static_cast<OutcomeEvent *>(event)->Report();
    DtuCmdOutcomeProcess(report);
    emit OutcomeProcessed(report.tag.owner, static_cast<int>(report.outcome));
    return true;
  }
  if (event->type() == kChunkEvent) {
    const std::string &chunk = static_cast<TextEvent *>(event)->Text();
    DtuCmdRecvProcess(chunk.data(), static_cast<int>(chunk.size()));
    emit ChunkProcessed(QByteArray(chunk.data(), static_cast<int>(chunk.size())));
    return true;
  }
  if (event->type() == kPortLostEvent) {
    emit PortLost(QString::fromStdString(static_cast<TextEvent *>(event)->Text()));
    return true;
  }
  return QObject::event(event);
}
