// One device's way through a fleet apply: which pages are still to do, what
// the next worker does (apply the pages, or first read again a page whose
// write was cut off), and what each ended worker comes to: the device's
// final state with its first failure, or another attempt.
#pragma once

#include <string>
#include <vector>

#include "cli/fleet_options.h"
#include "cli/fleet_report.h"

// What is known of a worker once it ended.
struct FleetAttemptEnd {
  std::string verb;                // "apply" or "diff"
  std::vector<std::string> pages;  // what it was given
  std::string page_now;            // the page it last said it started ("" none)
  int page_number = 0;             // and that page's place in `pages`, from 1
  double seconds = 0;
  bool out_of_time = false;        // its device's time ran out
  bool failed_to_start = false;
  std::string start_error;
  int process_exit_code = 0;
  bool second_stop = false;        // a second Ctrl-C came
  bool have_report = false;
  ProvisionDeviceReport report;    // when it left one
};

// What the run does with the device next.
enum class FleetNext {
  kDone,        // final
  kAgainFirst,  // another attempt at once (on with it: read again, the pages left)
  kAgainLater,  // another attempt after the others had their turn (it never answered)
};

class FleetDevice {
 public:
  FleetDevice(const std::string &imei, const FleetOptions &options, FleetValues csv_values,
              const std::vector<std::string> &template_fields);

  // The next worker's verb and pages.
  std::string NextVerb() const { return reread_.empty() ? "apply" : "diff"; }
  std::vector<std::string> NextPages() const { return reread_.empty() ? todo_ : reread_; }
  const FleetValues &CsvValues() const { return csv_values_; }
  void Started() { ++result_.attempts; }

  FleetNext AttemptEnded(const FleetAttemptEnd &end);
  // Never started (or not again): why, and the exit code it counts for.
  void NotStarted(const std::string &why, int exit_code);

  bool Final() const { return final_; }
  bool Failed() const {
    return final_ && (result_.state == FleetState::kFailed || result_.state == FleetState::kTimedOut);
  }
  const FleetDeviceResult &Result() const { return result_; }

 private:
  FleetNext Ended(const FleetAttemptEnd &end);
  FleetNext Applied(const FleetAttemptEnd &end);
  FleetNext Reread(const FleetAttemptEnd &end);
  FleetNext NeverAnswered(const ProvisionDeviceReport &report);
  FleetNext Finish(FleetState state, int exit_code);
  void Verified(const std::string &page);
  FleetFailure FailureOf(const ProvisionPageReport &page) const;
  std::string FileValue(const std::string &page_name, const std::string &field) const;

  const FleetOptions &options_;
  FleetDeviceResult result_;
  FleetValues csv_values_;
  std::vector<std::string> todo_;    // pages not verified yet, tree order
  std::vector<std::string> reread_;  // pages to read again before anything else
  std::string cut_off_;              // how their work was cut off
  int never_answered_ = 0;
  bool final_ = false;
};
