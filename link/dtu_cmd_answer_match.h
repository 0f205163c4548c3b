// Which answer belongs to which line. A queued line names what answers it:
// a line "AT+ZEVCFG=get|<key>..." or "...=set|<key>|..." whose key is a row
// of the answer table is answered by a "<key> : " line; a bare "OK"
// acknowledges it; an error word refuses it. Anything else that comes while
// it is in flight (a late answer to an earlier line that timed out, noise)
// is not its answer and is never credited to it. A line without such a key
// (a typed "AT", "set|reboot") takes any answer, as a terminal would.
#pragma once

#include <string>

// The line's key in lower case when the answer table knows it, else "".
std::string DtuCmdLineKey(const char *line, int length);

// True when `answer` holds a line that starts with "<key> :" (case ignored),
// followed by a blank or the end of the line.
bool DtuCmdAnswerHoldsKeyLine(const std::string &answer, const std::string &key);

enum class DtuCmdAnswerVerdict {
  kAnswered,      // the key line (or any text, for a line without a key)
  kAcknowledged,  // a bare "OK"
  kRefused,       // an error word (see DtuCmdAnswerOutcome)
  kPartial,       // a burst that stops inside a line: more is to come
  kNotItsAnswer,  // a whole answer that does not carry the line's key
};

// `cleaned` is the burst after cleaning, `whole` whether the raw burst ended
// with a line end. `error_word` gets the word found for kRefused ("" else).
DtuCmdAnswerVerdict DtuCmdJudgeAnswer(const std::string &key, const std::string &cleaned, bool whole,
                                      const char **error_word = nullptr);

// True when the raw burst ends with an "OK" line (any case): the line's
// answer is complete; without it the device may still send its OK apart.
bool DtuCmdBurstEndsWithOk(const std::string &raw);
