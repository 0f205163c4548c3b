// Keeps `varnokctl bridge`'s cloud link up: when the broker drops it, says so
// on standard error and connects again, 1 s after the loss and then at
// growing intervals up to 30 s, until an attempt succeeds. Lives on the main
// thread; the link's loss report (MQTT library thread) is posted to it.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include "remote/dtu_reconnect_backoff.h"

class DtuRemoteBridge;

class CloudReconnector : public QObject {
  Q_OBJECT

 public:
  // `connect` makes one attempt and says true when the link is up again.
  // Installs itself as `bridge`'s link-lost handler; removes it again.
  CloudReconnector(std::function<bool()> connect, DtuRemoteBridge &bridge, QObject *parent = nullptr);
  ~CloudReconnector() override;

 private:
  void Lost(const std::string &cause);
  void Attempt();
  void ScheduleNext(const char *what);

  std::function<bool()> connect_;
  DtuRemoteBridge &bridge_;
  DtuReconnectBackoff backoff_;
  QTimer timer_;
};
