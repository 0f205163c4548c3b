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
  for (int row = 0; row < DtuCmdRespRowCount(); ++row) {
    if (DtuCmdRespRowHasKey(row, key.c_str())) return true;
  }
  return false;
}

bool SameLetters(const std::string &text, size_t at, const std::string &word) {
  if (at + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != std::tolower(static_cast<unsigned char>(word[i]))) {
      return false;
    }
  }
  return true;
}

bool KeyLineAt(const std::string &answer, size_t at, const std::string &key) {
  if (!SameLetters(answer, at, key + " :")) return false;
  const size_t after = at + key.size() + 2;
  return after == answer.size() || answer[after] == ' ' || answer[after] == '\r' || answer[after] == '\n';
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

bool DtuCmdAnswerHoldsKeyLine(const std::string &answer, const std::string &key) {
  if (key.empty()) return false;
  for (size_t at = 0; at < answer.size(); ++at) {
    const bool line_start = at == 0 || answer[at - 1] == '\r' || answer[at - 1] == '\n';
    if (line_start && KeyLineAt(answer, at, key)) return true;
  }
  return false;
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
  if (DtuCmdAnswerHoldsKeyLine(cleaned, key)) return DtuCmdAnswerVerdict::kAnswered;
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
