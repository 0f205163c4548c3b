#include "link/dtu_cmd_answer_match.h"

#include <cctype>

#include "link/dtu_cmd_outcome.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool KeyIsKnown(const std::string &key) {
  for (int row = 0; row < kDtuCmdRespTableRows; ++row) {
    if (DtuCmdRespRowHasKey(row, key.c_str())) return true;
  }
  return false;
}

// True when a line of the text starts with "<key> :", letter case aside
// (an empty value leaves "key :" at the line's end after cleaning).
bool HoldsKeyLine(const std::string &text, const std::string &key) {
  const std::string lower = Lower(text);
  const std::string prefix = key + " :";
  size_t start = 0;
  while (start < lower.size()) {
    if (lower.compare(start, prefix.size(), prefix) == 0) return true;
    const size_t end = lower.find_first_of("\r\n", start);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::string DtuCmdLineKey(const char *line, int length) {
  if (line == nullptr || length <= 0) return std::string();
  const std::string text(line, static_cast<size_t>(length));
  const std::string head = "AT+ZEVCFG=";
  if (text.compare(0, head.size(), head) != 0) return std::string();
  const size_t bar = text.find('|', head.size());
  if (bar == std::string::npos) return std::string();
  const std::string verb = Lower(text.substr(head.size(), bar - head.size()));
  if (verb != "get" && verb != "set") return std::string();
  const size_t end = text.find_first_of("|\r\n", bar + 1);
  const std::string key = Lower(text.substr(bar + 1, end == std::string::npos ? std::string::npos : end - bar - 1));
  return KeyIsKnown(key) ? key : std::string();
}

DtuCmdAnswerVerdict DtuCmdJudgeAnswer(const std::string &key, const std::string &cleaned, bool whole,
                                      const char **error_word) {
  const char *word = "";
  const DtuCmdOutcome outcome = DtuCmdAnswerOutcome(cleaned.data(), static_cast<int>(cleaned.size()), &word);
  if (error_word != nullptr) *error_word = word;
  if (outcome == DtuCmdOutcome::kDeviceError) return DtuCmdAnswerVerdict::kRefused;
  if (cleaned.empty()) return DtuCmdAnswerVerdict::kAcknowledged;
  if (key.empty()) return DtuCmdAnswerVerdict::kAnswered;
  if (!whole) return DtuCmdAnswerVerdict::kPartial;
  if (HoldsKeyLine(cleaned, key)) return DtuCmdAnswerVerdict::kAnswered;
  return DtuCmdAnswerVerdict::kNotItsAnswer;
}

bool DtuCmdBurstEndsWithOk(const std::string &raw) {
  size_t end = raw.find_last_not_of(" \t\r\n");
  if (end == std::string::npos || end < 1) return false;
  if (std::toupper(static_cast<unsigned char>(raw[end])) != 'K' ||
      std::toupper(static_cast<unsigned char>(raw[end - 1])) != 'O') {
    return false;
  }
  return end == 1 || raw[end - 2] == '\n' || raw[end - 2] == '\r';
}
