#include "cli/fleet_device.h"

#include <algorithm>
#include <memory>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "cli/verb_registry.h"
#include "pages/kit/dtu_page.h"
#include "provision/provision_pages.h"

namespace {

bool WentWell(ProvisionStatus status) {
  return status == ProvisionStatus::kVerified || status == ProvisionStatus::kConfirmed ||
         status == ProvisionStatus::kNotInFile;
}

std::string Joined(const std::vector<std::string> &items, const char *separator) {
  std::string text;
  for (const std::string &item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

// The first page of the attempt that did not go well, or null.
const ProvisionPageReport *FirstFailure(const ProvisionDeviceReport &report) {
  for (const ProvisionPageReport &page : report.pages) {
    if (!WentWell(page.status) && page.status != ProvisionStatus::kNotDone) return &page;
  }
  return nullptr;
}

// The last page of the attempt that went well, "" when none did.
std::string LastDone(const ProvisionDeviceReport &report) {
  std::string last;
  for (const ProvisionPageReport &page : report.pages) {
    if (WentWell(page.status) && page.status != ProvisionStatus::kNotInFile) last = page.page;
  }
  return last;
}

// A page that found the port closed before the loss was reported refused
// its next line with the page's own "not open" text.
bool FoundPortClosed(const ProvisionPageReport &page) {
  const std::string closed = DtuLangText(DtuTextId::kPortNotOpen);
  return page.status == ProvisionStatus::kRefused &&
         std::find(page.messages.begin(), page.messages.end(), closed) != page.messages.end();
}

// After a page started, the report's own error can only be the lost port.
bool PortLost(const ProvisionPageReport &page, const ProvisionDeviceReport &report) {
  return page.status == ProvisionStatus::kPortLost || !report.error.empty() || FoundPortClosed(page);
}

// A page whose writing may have been cut off half-way: a set line went
// unanswered, or the connection went while the page was at work (a page
// that paces its own lines may have written some before it found the port
// gone, whatever its own "sent" says).
bool CutOff(const ProvisionPageReport &page, const ProvisionDeviceReport &report) {
  return (page.status == ProvisionStatus::kNoAnswer && page.sent) || PortLost(page, report);
}

// The worker's first question (its version) went unanswered.
bool ProbeUnanswered(const ProvisionDeviceReport &report) {
  return FirstFailure(report) == nullptr && !report.error.empty() && report.exit_code == kExitNoAnswer;
}

}  // namespace

FleetDevice::FleetDevice(const std::string &imei, const FleetOptions &options, FleetValues csv_values,
                         const std::vector<std::string> &template_fields)
    : options_(options), csv_values_(std::move(csv_values)), todo_(options.pages) {
  result_.imei = imei;
  result_.pages_total = static_cast<int>(options.pages.size());
  result_.values = FleetDeviceValues(imei, template_fields, options.pages, csv_values_);
}

void FleetDevice::NotStarted(const std::string &why, int exit_code) {
  final_ = true;
  result_.state = FleetState::kNotStarted;
  result_.note = why;
  result_.exit_code = exit_code;
}

FleetNext FleetDevice::AttemptEnded(const FleetAttemptEnd &end) {
  result_.seconds += end.seconds;
  if (!end.have_report) return Ended(end);
  return end.verb == "diff" ? Reread(end) : Applied(end);
}

FleetNext FleetDevice::Finish(FleetState state, int exit_code) {
  final_ = true;
  result_.state = state;
  result_.exit_code = state == FleetState::kSucceeded ? kExitOk : std::max(exit_code, 1);
  result_.pages_done = static_cast<int>(result_.pages_verified.size());
  return FleetNext::kDone;
}

void FleetDevice::Verified(const std::string &page) {
  todo_.erase(std::remove(todo_.begin(), todo_.end(), page), todo_.end());
  std::vector<std::string> &done = result_.pages_verified;
  if (std::find(done.begin(), done.end(), page) == done.end()) done.push_back(page);
  std::vector<std::string> ordered;  // in tree order
  for (const std::string &p : options_.pages) {
    if (std::find(done.begin(), done.end(), p) != done.end()) ordered.push_back(p);
  }
  done = ordered;
}

// The worker left no report: it could not start, crashed or was ended. It
// stops at its first failed page, so the pages before the one it worked on
// went well.
FleetNext FleetDevice::Ended(const FleetAttemptEnd &end) {
  for (int i = 0; i + 1 < end.page_number && i < static_cast<int>(end.pages.size()); ++i) {
    Verified(end.pages[static_cast<size_t>(i)]);
  }
  // The page is named in the failure's own member.
  const std::string page = end.page_now.empty() ? std::string("its first page") : "this page";
  result_.failure.page = end.page_now;
  if (end.failed_to_start) {
    result_.failure.reason = "cannot start a worker process: " + end.start_error;
    return Finish(FleetState::kFailed, kExitRefused);
  }
  if (end.out_of_time) {
    result_.failure.reason = "ran out of its " + std::to_string(options_.device_timeout_s) +
                             " s and was ended while working on " + page + ": its state is unknown";
    return Finish(FleetState::kTimedOut, kExitNoAnswer);
  }
  if (end.second_stop) {
    result_.failure.reason = "ended by a second Ctrl-C while working on " + page + ": its state is unknown";
    return Finish(FleetState::kCanceled, kExitInterrupted);
  }
  result_.failure.reason = "the worker process ended without a report (exit " +
                           std::to_string(end.process_exit_code) + ") while working on " + page;
  return Finish(FleetState::kFailed, kExitRefused);
}

// What the file (with the device's values) holds for a field.
std::string FleetDevice::FileValue(const std::string &page_name, const std::string &field) const {
  std::unique_ptr<DtuPage> page = ProvisionCreatePage(page_name);
  if (!page) return std::string();
  DtuMessageSink previous = DtuSetMessageSink([](const std::string &) {});
  std::string value, why;
  if (page->OnBnClickedBtReadLocal() && FleetAdjustPage(*page, result_.imei, csv_values_, why)) {
    page->GetField(field, value);
  }
  DtuSetMessageSink(previous);
  return value;
}

FleetFailure FleetDevice::FailureOf(const ProvisionPageReport &page) const {
  FleetFailure failure;
  failure.page = page.page;
  failure.reason = ProvisionStatusName(page.status);
  if (!page.diffs.empty()) {
    failure.field = page.diffs[0].field;
    failure.device = page.diffs[0].device;
    failure.file = page.diffs[0].file;
    if (page.diffs.size() > 1) failure.reason += " (" + std::to_string(page.diffs.size()) + " fields)";
    return failure;
  }
  if (!page.failed_fields.empty()) {
    const std::string &first = page.failed_fields[0];  // "Server: device error"
    const size_t colon = first.rfind(": ");
    failure.field = first.substr(0, colon);
    failure.device = colon == std::string::npos ? std::string() : "(" + first.substr(colon + 2) + ")";
    const std::string single = failure.field.substr(0, failure.field.find('/'));
    failure.file = FileValue(page.page, single);
  }
  if (!page.messages.empty()) failure.reason += ": " + Joined(page.messages, "; ");
  return failure;
}

FleetNext FleetDevice::Applied(const FleetAttemptEnd &end) {
  const ProvisionDeviceReport &report = end.report;
  for (const ProvisionPageReport &page : report.pages) {
    if (WentWell(page.status)) Verified(page.page);
  }
  const ProvisionPageReport *failed = FirstFailure(report);
  const bool interrupted = report.exit_code == kExitInterrupted || end.out_of_time;
  if (failed == nullptr && report.error.empty() && todo_.empty()) return Finish(FleetState::kSucceeded, kExitOk);
  if (ProbeUnanswered(report)) return NeverAnswered(report);
  if (failed != nullptr && !interrupted && CutOff(*failed, report)) {
    // What the device holds of the page is not known. Read it again before
    // anything is sent to it again.
    reread_ = {failed->page};
    cut_off_ = "page " + failed->page + " was cut off (" +
               (PortLost(*failed, report) ? std::string("the broker connection was lost")
                                          : ProvisionStatusName(failed->status)) +
               ")";
    return FleetNext::kAgainFirst;
  }
  if (failed != nullptr) {
    result_.failure = FailureOf(*failed);
    const FleetState state = failed->status == ProvisionStatus::kNoAnswer ? FleetState::kTimedOut : FleetState::kFailed;
    return Finish(state, ProvisionDeviceExitCode(report));
  }
  // Stopped between pages (Ctrl-C, out of time) or the port could not be opened.
  const std::string after = LastDone(report).empty() ? "before its first page" : "after page " + LastDone(report);
  const std::string left = "; not done: " + Joined(todo_, ", ");
  if (end.out_of_time) {
    result_.failure.reason =
        "ran out of its " + std::to_string(options_.device_timeout_s) + " s and was stopped " + after + left;
    return Finish(FleetState::kTimedOut, kExitNoAnswer);
  }
  if (report.exit_code == kExitInterrupted) {
    result_.failure.reason = "stopped by Ctrl-C " + after + left;
    return Finish(FleetState::kCanceled, kExitInterrupted);
  }
  result_.failure.reason = report.error.empty() ? "pages not done: " + Joined(todo_, ", ") : report.error;
  return Finish(FleetState::kFailed, std::max(ProvisionDeviceExitCode(report), 1));
}

FleetNext FleetDevice::NeverAnswered(const ProvisionDeviceReport &report) {
  ++never_answered_;
  if (never_answered_ <= options_.retries) return FleetNext::kAgainLater;
  result_.failure.reason = report.error + " (" + std::to_string(never_answered_) +
                           (never_answered_ == 1 ? " attempt)" : " attempts)");
  return Finish(FleetState::kTimedOut, kExitNoAnswer);
}

FleetNext FleetDevice::Reread(const FleetAttemptEnd &end) {
  const ProvisionDeviceReport &report = end.report;
  const std::string cut = cut_off_ + " and the device was read again";
  // A device that came back to the broker a moment later may miss the first
  // question: it is asked again, as one that never answered.
  if (ProbeUnanswered(report) && never_answered_ < options_.retries) {
    ++never_answered_;
    return FleetNext::kAgainLater;
  }
  reread_.clear();
  const ProvisionPageReport *failed = FirstFailure(report);
  if (failed == nullptr && report.error.empty()) {
    for (const ProvisionPageReport &page : report.pages) Verified(page.page);
    result_.note = cut + " and holds the file's values";
    return todo_.empty() ? Finish(FleetState::kSucceeded, kExitOk) : FleetNext::kAgainFirst;
  }
  if (failed != nullptr && failed->status == ProvisionStatus::kDiffers) {
    result_.failure = FailureOf(*failed);
    result_.failure.reason = "the device differs from the file after " + cut + "; not written again";
    return Finish(FleetState::kFailed, kExitReadBackDiffers);
  }
  result_.failure.page = failed != nullptr ? failed->page : end.pages.front();
  result_.failure.reason = cut + ", which did not succeed (" +
                           (failed != nullptr ? ProvisionStatusName(failed->status) : report.error) +
                           "): its state is unknown";
  const bool silent = end.out_of_time || failed == nullptr || failed->status == ProvisionStatus::kNoAnswer;
  return Finish(silent ? FleetState::kTimedOut : FleetState::kFailed, std::max(ProvisionDeviceExitCode(report), 1));
}
