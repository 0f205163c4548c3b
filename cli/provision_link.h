// One device's command port for `apply` and `backup`: opens it, runs a page's
// Read or Set and waits until the page's own rule says it is complete, and
// tells how it went: done, refused (nothing queued), unanswered, answered
// with ERROR, or the port gone. Waits end at once when the port goes away.
#pragma once

#include <QElapsedTimer>
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
  // Lines written since the port was opened that never had an answer.
  int Unanswered() const;

  ProvisionStep Read(DtuPage &page);
  // Sends one query line of no page and waits for its outcome: kDone when
  // the device answered it (even with ERROR), kNoAnswer when the sender gave
  // up on it. Tells whether anything answers at all before a page starts.
  ProvisionStep Probe(const std::string &line);
  // Done only when the device confirmed the Set and every line the Set
  // queued has had its answer: an answer to a set line echoes its key, so
  // one still on its way would be taken for the answer of a later Read.
  ProvisionStep Set(DtuPage &page);

 private:
  // Runs the event loop until `complete` holds (the page's own rule), the
  // page's worker is done and every line has been written and answered or
  // given up on, the port goes away or the time runs out.
  ProvisionStep Wait(const DtuPage &page, const std::function<bool()> &complete);
  // True once the queue is empty and the link has been still for a while:
  // briefly when every line had its answer, past the sender's no-answer
  // limit when one is still open.
  bool Settled(const DtuPage &page);
  void CountErrors(const QByteArray &chunk);

  CliPortSession session_;
  int timeout_ms_;
  int device_errors_ = 0;
  std::string lost_text_;
  QElapsedTimer still_since_;
  int last_written_ = -1;
  int last_answered_ = -1;
  int unanswered_at_start_ = 0;  // before the step queued its lines
};
