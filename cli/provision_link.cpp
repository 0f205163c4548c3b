#include "cli/provision_link.h"

#include <QList>

#include "cli/verb_registry.h"
#include "link/dtu_cmd_outcome.h"
#include "link/dtu_cmd_ring.h"
#include "pages/kit/dtu_page.h"
#include "pages/dtu_page_runner.h"

namespace {

// The sender takes a command a moment before it counts it as written: the
// link counts as still only once that held for this long.
constexpr int kSettleMs = 150;
// How long the answered count may lag behind the answer a page took.
constexpr int kCountLagMs = 2000;
// A line without an answer is given up on by the sender after 5 s.
constexpr int kUnansweredSettleMs = 5500;

}  // namespace

ProvisionLink::ProvisionLink(int timeout_ms) : timeout_ms_(timeout_ms) {
  connect(&session_.Dispatcher(), &DtuMainThreadDispatcher::ChunkProcessed, this, &ProvisionLink::CountErrors);
  connect(&session_.Dispatcher(), &DtuMainThreadDispatcher::PortLost, this,
          [this](const QString &text) { lost_text_ = text.toStdString(); });
}

int ProvisionLink::Open(const DtuSerialSettings &settings, std::string &error) {
  std::string reason;
  const int code = session_.Open(settings, &reason);
  if (code != kExitOk) error = "cannot open " + settings.port + ": " + reason;
  return code;
}

void ProvisionLink::CountErrors(const QByteArray &chunk) {
  // The pages queue their lines without an owner, so their outcomes are not
  // reported: the answers themselves are judged by the link's own rule.
  if (DtuCmdAnswerOutcome(chunk.constData(), chunk.size()) == DtuCmdOutcome::kDeviceError) ++device_errors_;
}

int ProvisionLink::Unanswered() const {
  DtuCmdPort &port = const_cast<CliPortSession &>(session_).Port();
  return port.CommandsWritten() - port.CommandsAnswered();
}

bool ProvisionLink::Settled(const DtuPage &page) {
  DtuCmdPort &port = session_.Port();
  const int written = port.CommandsWritten();
  const int answered = port.CommandsAnswered();
  // A page whose worker paces its own queries is still at work between them.
  if (page.Busy() || DtuCmdRingInstance().Waiting() != 0 || written != last_written_ ||
      answered != last_answered_) {
    last_written_ = written;
    last_answered_ = answered;
    still_since_.start();
    return false;
  }
  const bool all_answered = written - answered == unanswered_at_start_;
  return still_since_.elapsed() >= (all_answered ? kSettleMs : kUnansweredSettleMs);
}

ProvisionStep ProvisionLink::Wait(const DtuPage &page, const std::function<bool()> &complete) {
  last_written_ = -1;
  DtuPageWaitUntil([&] { return complete() || Lost() || Settled(page); }, timeout_ms_);
  // The answer reaches the page a moment before the sender counts it as
  // answered (longer on a busy machine): give the count that moment before
  // judging it. Only a line that really went unanswered costs the whole wait.
  if (complete()) {
    DtuPageWaitUntil([&] { return Unanswered() <= unanswered_at_start_ || Lost(); }, kCountLagMs);
  }
  if (Lost()) return ProvisionStep::kPortLost;
  return complete() ? ProvisionStep::kDone : ProvisionStep::kNoAnswer;
}

ProvisionStep ProvisionLink::Read(DtuPage &page) {
  if (Lost()) return ProvisionStep::kPortLost;
  unanswered_at_start_ = Unanswered();
  if (!page.Read()) return ProvisionStep::kRefused;
  // Once every query has had its answer the Read is as complete as it gets,
  // even when the page's own flag did not clear (an answer it did not take).
  const ProvisionStep step = Wait(page, [&] { return !page.ReadPending(); });
  if (step == ProvisionStep::kNoAnswer && Settled(page) && Unanswered() == unanswered_at_start_) {
    return ProvisionStep::kDone;
  }
  return step;
}

ProvisionStep ProvisionLink::Probe(const std::string &line) {
  if (Lost()) return ProvisionStep::kPortLost;
  bool ended = false;
  DtuCmdOutcome outcome = DtuCmdOutcome::kNoAnswer;
  const int owner = DtuCmdAddOwner([&](const DtuCmdReport &report) {
    ended = true;
    outcome = report.outcome;
  });
  const int queued = DtuCmdPort::DtuCmdRingbufSend(line.c_str(), static_cast<int>(line.size()), DtuCmdTag{owner, 0, 0});
  if (queued == 0) DtuPageWaitUntil([&] { return ended || Lost(); }, timeout_ms_);
  DtuCmdRemoveOwner(owner);
  if (queued != 0) return ProvisionStep::kRefused;
  if (Lost()) return ProvisionStep::kPortLost;
  const bool answered = ended && (outcome == DtuCmdOutcome::kAnswered || outcome == DtuCmdOutcome::kAcknowledged ||
                                  outcome == DtuCmdOutcome::kDeviceError);
  return answered ? ProvisionStep::kDone : ProvisionStep::kNoAnswer;
}

ProvisionStep ProvisionLink::Set(DtuPage &page) {
  if (Lost()) return ProvisionStep::kPortLost;
  unanswered_at_start_ = Unanswered();
  if (!page.Set()) return ProvisionStep::kRefused;
  ProvisionStep step = Wait(page, [&] { return !page.SetPending(); });
  if (step != ProvisionStep::kDone) return step;
  // Some pages confirm before their last lines went out (MQTT: on the
  // publish topic, before QoS and CleanSession).
  Wait(page, [] { return false; });
  return Lost() ? ProvisionStep::kPortLost : ProvisionStep::kDone;
}
