// One command-port session of a verb: opens the port with answers dispatched
// on the main thread's event loop, and reports open errors and a lost port
// with the verbs' exit codes.
#pragma once

#include <QObject>

#include <string>

#include "link/dtu_cmd_port.h"
#include "pages/kit/dtu_main_thread_dispatcher.h"

class CliPortSession : public QObject {
  Q_OBJECT

 public:
  CliPortSession();
  ~CliPortSession() override;

  // kExitOk, or the exit code of the failure (message already on stderr;
  // the driver's error text also in `reason` when given).
  int Open(const DtuSerialSettings &settings, std::string *reason = nullptr);
  DtuCmdPort &Port() { return port_; }
  DtuMainThreadDispatcher &Dispatcher() { return dispatcher_; }
  bool Lost() const { return lost_; }

 signals:
  void PortLost();

 private:
  DtuMainThreadDispatcher dispatcher_;
  DtuCmdPort port_;
  bool lost_ = false;
};
