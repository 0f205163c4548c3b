// One device's command port for `apply` and `backup`: opens it, runs a page's
// Read or Set and waits until the page's own rule says it is complete, and
// tells how it went: done, refused (nothing queued), unanswered, answered
// with ERROR, or the port gone. Waits end at once when the port goes away.
#pragma once

#include <QObject>

#include <string>

#include "cli/cli_port_session.h"

class DtuPage;

enum class ProvisionStep {
  kDone,        // the page's last answer came / the device confirmed the Set
  kRefused,     // the page queued nothing (its message says why)
  kNoAnswer,    // the answers stopped coming before the page was complete
  kPortLost,    // the port went away
};

class ProvisionLink : public QObject {
  Q_OBJECT

 public:
  explicit ProvisionLink(int timeout_ms);

  // kExitOk, or the verb's exit code for a port that cannot be opened.
  int Open(const DtuSerialSettings &settings, std::string &error);
  bool Lost() const { return session_.Lost(); }
  const std::string &LostText() const { return lost_text_; }
  // ERROR answers received since the port was opened.
  int DeviceErrors() const { return device_errors_; }

  ProvisionStep Read(DtuPage &page);
  // Done only when the device confirmed the Set; with `drain` also waits until
  // every line the Set queued has had its answer.
  ProvisionStep Set(DtuPage &page, bool drain);

 private:
  // Runs the event loop until `complete` holds, the queue stays drained
  // (when `drained_ends`), the port goes away or the time runs out.
  ProvisionStep Wait(const std::function<bool()> &complete, bool drained_ends);
  void CountErrors(const QByteArray &chunk);

  CliPortSession session_;
  int timeout_ms_;
  int device_errors_ = 0;
  std::string lost_text_;
};
