// Moves received chunks from the serial reader thread to the thread of this
// object (the main thread): each chunk is posted to the Qt event loop and
// DtuCmdRecvProcess runs there, one chunk after the other in arrival order,
// so answer handlers never race with the rest of the program. The port-lost
// report travels the same road.
//
// Chunks travel as posted events that the receiving thread deletes, with no
// reference count shared between the threads.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <mutex>
#include <string>

#include "link/dtu_cmd_port.h"

class DtuMainThreadDispatcher : public QObject {
  Q_OBJECT

 public:
  explicit DtuMainThreadDispatcher(QObject *parent = nullptr);

  // For DtuCmdPort::SetChunkDispatcher and DtuCmdPort::SetPortLostHandler.
  // Detach them (or close the port) before this object is destroyed.
  DtuCmdPort::ChunkDispatcher Dispatcher();
  std::function<void(const std::string &text)> PortLostHandler();
  // For DtuCmdPort::SetOutcomeDispatcher: outcomes travel with the chunks,
  // so each arrives after the answer it belongs to.
  DtuCmdPort::OutcomeDispatcher OutcomeDispatcher();
  // The three above on one port (and null again when `port` goes away).
  void AttachTo(DtuCmdPort &port);
  static void DetachFrom(DtuCmdPort &port);

 signals:
  // After DtuCmdRecvProcess ran for the chunk (cleaned text, or the raw bytes
  // in remote mode).
  void ChunkProcessed(const QByteArray &chunk);
  // The port closed itself: "the port was closed: <error text>".
  void PortLost(const QString &text);
  // After DtuCmdOutcomeProcess ran for a command's outcome.
  void OutcomeProcessed(int owner, int outcome);

 protected:
  bool event(QEvent *event) override;

 private:
  void Post(int type, const std::string &text);
  std::mutex handoff_mutex_;
};
