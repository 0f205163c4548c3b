// The bookkeeping of one Read or Set of a page: which lines it queued, which
// field each line carries, and what became of each line (the outcomes the
// command port reports). The action ends when every line has its outcome; it
// failed when any line was refused, got no answer or was dropped by a closed
// port; a bare OK acknowledges a line. Plain C++: the page (pages/dtu_page.h) drives it and tells the user.
#pragma once

#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"

// One command line of an action and the field (or fields, "A/B") it carries,
// as the page names them.
struct DtuPageLine {
  std::string line;
  std::string field;
};

// "AT+ZEVCFG=get|<key>\r\n" for the field.
DtuPageLine DtuPageGetLine(const std::string &key, const std::string &field);

class DtuPageAction {
 public:
  enum class Kind { kNone, kRead, kSet };
  struct Failure {
    int line;
    std::string field;
    DtuCmdOutcome outcome;
    std::string error_word;
  };

  // Starts a new action over these fields (one per line); returns its number.
  int Begin(Kind kind, std::vector<std::string> fields);
  // Records the outcome of a line. True when this outcome ended the action.
  // Outcomes of an older action or of a line already recorded are ignored.
  bool Record(int action, int line, DtuCmdOutcome outcome, const char *error_word);

  Kind Running() const { return kind_; }
  Kind LastKind() const { return last_kind_; }
  int Done() const { return done_; }
  int Total() const { return static_cast<int>(fields_.size()); }
  // Of the action running or last ended; empty when every line was answered.
  const std::vector<Failure> &Failures() const { return failures_; }

 private:
  Kind kind_ = Kind::kNone;
  Kind last_kind_ = Kind::kNone;
  int action_ = 0;
  int done_ = 0;
  std::vector<std::string> fields_;
  std::vector<bool> recorded_;
  std::vector<Failure> failures_;
};

// One message for the user naming every failed field and what happened, a
// line per kind: "The device refused PubTopic (ERROR)", "No answer from the
// device for QoS, CleanSession", "The port closed before Server was answered".
std::string DtuPageFailureMessage(const std::vector<DtuPageAction::Failure> &failures);
