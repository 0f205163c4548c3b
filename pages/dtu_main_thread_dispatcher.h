// Moves received chunks from the serial reader thread to the thread of this
// object (the main thread): each chunk is posted to the Qt event loop and
// DtuCmdRecvProcess runs there, one chunk after the other in arrival order,
// so answer handlers never race with the rest of the program.
#pragma once

#include <QByteArray>
#include <QObject>

#include "link/dtu_cmd_port.h"

class DtuMainThreadDispatcher : public QObject {
  Q_OBJECT

 public:
  explicit DtuMainThreadDispatcher(QObject *parent = nullptr);

  // For DtuCmdPort::SetChunkDispatcher. Detach it (or close the port) before
  // this object is destroyed.
  DtuCmdPort::ChunkDispatcher Dispatcher();

 signals:
  // After DtuCmdRecvProcess ran for the chunk (cleaned text, or the raw bytes
  // in remote mode).
  void ChunkProcessed(const QByteArray &chunk);

 private:
  void Process(const std::string &chunk);
};
