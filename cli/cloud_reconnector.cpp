#include "cli/cloud_reconnector.h"

#include <cstdio>

#include "remote/dtu_remote_bridge.h"

CloudReconnector::CloudReconnector(std::function<bool()> connect, DtuRemoteBridge &bridge, QObject *parent)
    : QObject(parent), connect_(std::move(connect)), bridge_(bridge) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, this, &CloudReconnector::Attempt);
  bridge_.SetLinkLostHandler([this](const std::string &cause) {
    QMetaObject::invokeMethod(this, [this, cause] { Lost(cause); }, Qt::QueuedConnection);
  });
}

CloudReconnector::~CloudReconnector() { bridge_.SetLinkLostHandler(nullptr); }

void CloudReconnector::Lost(const std::string &cause) {
  std::fprintf(stderr, "varnokctl bridge: cloud link lost (%s)\n", cause.c_str());
  ScheduleNext("reconnecting");
}

void CloudReconnector::Attempt() {
  if (connect_()) {
    backoff_.Reset();
    return;
  }
  ScheduleNext("next try");
}

void CloudReconnector::ScheduleNext(const char *what) {
  const int delay_ms = backoff_.NextDelayMs();
  std::fprintf(stderr, "varnokctl bridge: %s in %d s\n", what, delay_ms / 1000);
  timer_.start(delay_ms);
}
