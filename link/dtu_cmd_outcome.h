// What became of each queued command. The sender knows which command is in
// flight; for every command it records one outcome and the owner that queued
// it hears of it:
//
//   int owner = DtuCmdAddOwner([](const DtuCmdReport &r) { ... });
//   DtuCmdPort::DtuCmdRingbufSend(line, length, DtuCmdTag{owner, action, item});
//   ...
//   DtuCmdRemoveOwner(owner);
//
// Reports reach the owner on the thread that runs DtuCmdOutcomeProcess: the
// GUI or main thread (posted there in the same order as the answers, after
// the answer they belong to), or the reader/sender thread when no dispatcher
// is set.
#pragma once

#include <functional>
#include <string>

enum class DtuCmdOutcome {
  kAnswered,     // its answer came back (the key line, or any text for a line without a key)
  kAcknowledged, // a bare "OK": acknowledges a set line; a query got no value
  kDeviceError,  // the answer holds ERROR or FAIL (either case)
  kNoAnswer,     // nothing came back before the 5 s fallback
  kPortClosed,   // the port closed before the command was answered or sent
};

// Who queued a command: `owner` from DtuCmdAddOwner (0: nobody listens),
// `action` and `item` are the owner's own (an action counter, a line or field
// index), handed back unchanged.
struct DtuCmdTag {
  int owner = 0;
  int action = 0;
  int item = 0;
};

struct DtuCmdReport {
  DtuCmdTag tag;
  DtuCmdOutcome outcome = DtuCmdOutcome::kAnswered;
  const char *error_word = "";  // kDeviceError: the word found ("ERROR", "fail", ...)
  // Answered or device error: the cleaned text that ended the command's
  // wait, and whether the burst it came in ended with a line end. A device
  // ends every answer with CR LF; a burst that stops inside a line is an
  // answer a pause cut in two, whose value is not whole.
  std::string answer;
  bool whole = true;
};

using DtuCmdOutcomeListener = std::function<void(const DtuCmdReport &report)>;

// Registers an owner; returns its id (> 0).
int DtuCmdAddOwner(DtuCmdOutcomeListener listener);
// After this returns no report reaches the owner's listener.
void DtuCmdRemoveOwner(int owner);

// Hands one report to its owner (nothing for owner 0 or an owner removed).
void DtuCmdOutcomeProcess(const DtuCmdReport &report);
// A tagged command the ring refused never gets an answer: its owner hears
// kNoAnswer at once, so that it does not wait for one.
void DtuCmdReportNotQueued(const DtuCmdTag &tag);

// The outcome of an answer text: a device error when a line that is not a
// "<key> : <value>" answer line holds ERROR, error, FAIL or fail, or when an
// answer line's value is only such a word; else answered. So a value that
// merely contains the word ("/errors") is an answer.
// `error_word`, when given, gets the word found ("" when answered).
DtuCmdOutcome DtuCmdAnswerOutcome(const char *text, int length, const char **error_word = nullptr);

// "answered", "acknowledged", "device error", "no answer", "port closed" (for logs).
const char *DtuCmdOutcomeName(DtuCmdOutcome outcome);
