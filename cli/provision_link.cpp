#include "cli/provision_link.h"

#include <QElapsedTimer>
#include <QList>

#include "pages/dtu_page.h"
#include "pages/dtu_page_runner.h"

namespace {

// The sender takes a command a moment before it counts it as written: the
// queue counts as drained only once that held for this long.
constexpr int kDrainedSettleMs = 150;

// A device answers a line it rejects with a line "ERROR" (some firmware adds
// a reason after a colon).
bool IsErrorLine(const QByteArray &line) {
  const QByteArray word = line.trimmed();
  return word == "ERROR" || word.startsWith("ERROR:") || word.startsWith("+CME ERROR");
}

}  // namespace

ProvisionLink::ProvisionLink(int timeout_ms) : timeout_ms_(timeout_ms) {
  connect(&session_.Dispatcher(), &DtuMainThreadDispatcher::ChunkProcessed, this, &ProvisionLink::CountErrors);
  connect(&session_.Dispatcher(), &DtuMainThreadDispatcher::PortLost, this,
          [this](const QString &text) { lost_text_ = text.toStdString(); });
}

int ProvisionLink::Open(const DtuSerialSettings &settings, std::string &error) {
  const int code = session_.Open(settings);
  if (code != kExitOk) error = "cannot open " + settings.port;
  return code;
}

void ProvisionLink::CountErrors(const QByteArray &chunk) {
  for (const QByteArray &line : chunk.split('\n')) {
    if (IsErrorLine(line)) ++device_errors_;
  }
}

ProvisionStep ProvisionLink::Wait(const std::function<bool()> &complete, bool drained_ends) {
  QElapsedTimer drained_since;
  DtuPageWaitUntil(
      [&] {
        if (complete() || Lost()) return true;
        if (!drained_ends || !DtuCommandsDrained()) {
          drained_since.invalidate();
          return false;
        }
        if (!drained_since.isValid()) drained_since.start();
        return drained_since.elapsed() >= kDrainedSettleMs;
      },
      timeout_ms_);
  if (Lost()) return ProvisionStep::kPortLost;
  return complete() ? ProvisionStep::kDone : ProvisionStep::kNoAnswer;
}

ProvisionStep ProvisionLink::Read(DtuPage &page) {
  if (Lost()) return ProvisionStep::kPortLost;
  if (!page.Read()) return ProvisionStep::kRefused;
  // An answer with an empty value ("key :") never reaches the page: once
  // every query has had its answer, the Read is as complete as it gets.
  const ProvisionStep step = Wait([&] { return !page.ReadPending(); }, true);
  if (step == ProvisionStep::kNoAnswer && DtuCommandsDrained()) return ProvisionStep::kDone;
  return step;
}

ProvisionStep ProvisionLink::Set(DtuPage &page, bool drain) {
  if (Lost()) return ProvisionStep::kPortLost;
  if (!page.Set()) return ProvisionStep::kRefused;
  ProvisionStep step = Wait([&] { return !page.SetPending(); }, true);
  if (step != ProvisionStep::kDone || !drain) return step;
  // Some pages confirm before their last lines went out (MQTT: on the
  // publish topic, before QoS and CleanSession).
  Wait([] { return false; }, true);
  return Lost() ? ProvisionStep::kPortLost : ProvisionStep::kDone;
}
