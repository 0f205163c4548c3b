#include "provision/varnokctl_outcome.h"

#include "link/dtu_cmd_outcome.h"
#include "pages/dtu_page_runner.h"
#include "provision/provision_report.h"
#include "provision/varnokctl_exit_codes.h"

// One row per enumerator. The tables are switches so that an outcome added
// to its enum without a row here fails the build (-Wswitch) instead of
// falling through to kUnknown.
namespace {

constexpr VarnokOutcome kUnknown = {kExitRefused, "unknown outcome", true};

}  // namespace

VarnokOutcome VarnokPageRunOutcome(DtuPageRun run) {
  switch (run) {
    case DtuPageRun::kDone: return {kExitOk, "done", false};
    case DtuPageRun::kRefused: return {kExitRefused, "refused", false};
    case DtuPageRun::kTimedOut: return {kExitNoAnswer, "no answer in time", true};
    case DtuPageRun::kIncomplete: return {kExitNoAnswer, "not complete, no answer of its own for", true};
    case DtuPageRun::kPortClosed: return {kExitPortLost, "port lost", false};
    case DtuPageRun::kDeviceError: return {kExitDeviceError, "device error", false};
    case DtuPageRun::kFailed: return {kExitDeviceError, "the device's answers did not complete it", true};
  }
  return kUnknown;
}

VarnokOutcome VarnokCmdOutcome(DtuCmdOutcome outcome) {
  switch (outcome) {
    case DtuCmdOutcome::kAnswered: return {kExitOk, "answered", false};
    case DtuCmdOutcome::kAcknowledged: return {kExitOk, "acknowledged", false};
    case DtuCmdOutcome::kDeviceError: return {kExitDeviceError, "device error", true};
    case DtuCmdOutcome::kNoAnswer: return {kExitNoAnswer, "no answer", true};
    case DtuCmdOutcome::kPortClosed: return {kExitPortLost, "port lost", false};
  }
  return kUnknown;
}

VarnokOutcome VarnokProvisionOutcome(ProvisionStatus status) {
  switch (status) {
    case ProvisionStatus::kVerified: return {kExitOk, "verified", false};
    case ProvisionStatus::kConfirmed: return {kExitOk, "confirmed", false};
    case ProvisionStatus::kRefused: return {kExitRefused, "refused", false};
    case ProvisionStatus::kNoAnswer: return {kExitNoAnswer, "no answer", false};
    case ProvisionStatus::kDeviceError: return {kExitDeviceError, "device error", false};
    case ProvisionStatus::kPortLost: return {kExitPortLost, "port lost", false};
    case ProvisionStatus::kDiffers: return {kExitReadBackDiffers, "read-back differs", false};
    case ProvisionStatus::kNotDone: return {kExitOk, "not done", false};  // the device's own code says why
    case ProvisionStatus::kNotInFile: return {kExitOk, "not in the file", false};  // unless no page was written
  }
  return kUnknown;
}

bool VarnokProvisionStatusOfText(const std::string &text, ProvisionStatus &status) {
  // The enumerators run from 0 without gaps: the first value past the last
  // one has no row.
  for (int value = 0;; ++value) {
    const auto candidate = static_cast<ProvisionStatus>(value);
    const VarnokOutcome outcome = VarnokProvisionOutcome(candidate);
    if (outcome.text == kUnknown.text) return false;
    if (text == outcome.text) return status = candidate, true;
  }
}
