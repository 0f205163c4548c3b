#include "cli/page_verb_port.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_resp_table.h"

PageVerbPort::PageVerbPort() = default;

PageVerbPort::~PageVerbPort() {
  if (port_) port_->Close();
}

bool PageVerbPort::Open(const std::string &path, int baud, std::string &error) {
  port_ = std::make_unique<DtuCmdPort>();
  port_->SetChunkDispatcher([](const std::string &chunk) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [chunk] { DtuCmdRecvProcess(chunk.c_str(), static_cast<int>(chunk.size())); }, Qt::QueuedConnection);
  });
  DtuSerialSettings settings;
  settings.port = path;
  settings.baud = baud;
  return port_->DtuCmdPortOpen(settings, error);
}
