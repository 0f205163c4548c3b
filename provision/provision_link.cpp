#include "provision/provision_link.h"

#include "pages/dtu_page_runner.h"
#include "provision/varnokctl_exit_codes.h"

namespace {

constexpr int kLostReportMs = 1000;

ProvisionStep StepOf(DtuPageRun run) {
  switch (run) {
    case DtuPageRun::kDone: return ProvisionStep::kDone;
    case DtuPageRun::kRefused: return ProvisionStep::kRefused;
    case DtuPageRun::kTimedOut:
    case DtuPageRun::kIncomplete: return ProvisionStep::kNoAnswer;
    case DtuPageRun::kPortClosed: return ProvisionStep::kPortLost;
    case DtuPageRun::kDeviceError: return ProvisionStep::kDeviceError;
    case DtuPageRun::kFailed: return ProvisionStep::kFailed;
  }
  return ProvisionStep::kNoAnswer;
}

}  // namespace

int ProvisionLink::Open(const DtuSerialSettings &settings, std::string &error) {
  std::string reason;
  const int code = port_.Open(settings, reason);
  if (code != kExitOk) error = "cannot open " + settings.port + ": " + reason;
  return code;
}

// The page learns that the port closed a moment before the session does:
// the session's report (and its reason) is waited for, so the device's run
// stops here and says why.
ProvisionStep ProvisionLink::Judged(ProvisionStep step) {
  if (step == ProvisionStep::kPortLost) DtuPageWaitUntil([this] { return Lost(); }, kLostReportMs);
  return Lost() && step == ProvisionStep::kNoAnswer ? ProvisionStep::kPortLost : step;
}

ProvisionStep ProvisionLink::Read(DtuPage &page, std::vector<std::string> &missing) {
  missing.clear();
  if (Lost()) return ProvisionStep::kPortLost;
  return Judged(StepOf(DtuPageRunRead(page, timeout_ms_, &missing)));
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
  return Judged(StepOf(DtuPageRunSet(page, timeout_ms_)));
}
