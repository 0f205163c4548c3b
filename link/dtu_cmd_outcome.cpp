#include "link/dtu_cmd_outcome.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "link/dtu_cmd_resp_table.h"

namespace {

std::mutex g_owners_mutex;
std::map<int, std::shared_ptr<const DtuCmdOutcomeListener>> g_owners;
int g_next_owner = 1;

const char *const kErrorWords[] = {"ERROR", "error", "FAIL", "fail"};

// The first error word the text holds, or null.
const char *FindErrorWord(const std::string &text) {
  for (const char *word : kErrorWords) {
    if (text.find(word) != std::string::npos) return word;
  }
  return nullptr;
}

const char *OnlyErrorWord(std::string value) {
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  for (const char *word : kErrorWords) {
    if (value == word) return word;
  }
  return nullptr;
}

// One line of the answer: an answer line is judged by its value alone.
const char *LineErrorWord(const std::string &line) {
  const int length = static_cast<int>(line.size());
  if (DtuCmdMatchRow(line.c_str(), length) < 0) return FindErrorWord(line);
  const size_t colon = line.find(" :");
  std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 2);
  if (!value.empty() && value[0] == ' ') value.erase(0, 1);
  return OnlyErrorWord(value);
}

}  // namespace

int DtuCmdAddOwner(DtuCmdOutcomeListener listener) {
  std::lock_guard<std::mutex> lock(g_owners_mutex);
  const int owner = g_next_owner++;
  g_owners[owner] = std::make_shared<const DtuCmdOutcomeListener>(std::move(listener));
  return owner;
}

void DtuCmdRemoveOwner(int owner) {
  std::lock_guard<std::mutex> lock(g_owners_mutex);
  g_owners.erase(owner);
}

void DtuCmdOutcomeProcess(const DtuCmdReport &report) {
  if (report.tag.owner == 0) return;
  std::shared_ptr<const DtuCmdOutcomeListener> listener;
  {
    std::lock_guard<std::mutex> lock(g_owners_mutex);
    auto it = g_owners.find(report.tag.owner);
    if (it == g_owners.end()) return;
    listener = it->second;
  }
  if (*listener) (*listener)(report);
}

void DtuCmdReportNotQueued(const DtuCmdTag &tag) {
  DtuCmdReport not_queued;
  not_queued.tag = tag;
  not_queued.outcome = DtuCmdOutcome::kNoAnswer;
  DtuCmdOutcomeProcess(not_queued);
}

DtuCmdOutcome DtuCmdAnswerOutcome(const char *text, int length, const char **error_word) {
  if (error_word != nullptr) *error_word = "";
  if (text == nullptr || length <= 0) return DtuCmdOutcome::kAnswered;
  const std::string answer(text, ::strnlen(text, static_cast<size_t>(length)));
  size_t start = 0;
  while (start <= answer.size()) {
    size_t end = answer.find_first_of("\r\n", start);
    if (end == std::string::npos) end = answer.size();
    const char *word = end > start ? LineErrorWord(answer.substr(start, end - start)) : nullptr;
    if (word != nullptr) {
      if (error_word != nullptr) *error_word = word;
      return DtuCmdOutcome::kDeviceError;
    }
    start = end + 1;
  }
  return DtuCmdOutcome::kAnswered;
}

const char *DtuCmdOutcomeName(DtuCmdOutcome outcome) {
  switch (outcome) {
    case DtuCmdOutcome::kAnswered: return "answered";
    case DtuCmdOutcome::kAcknowledged: return "acknowledged";
    case DtuCmdOutcome::kDeviceError: return "device error";
    case DtuCmdOutcome::kNoAnswer: return "no answer";
    case DtuCmdOutcome::kPortClosed: return "port closed";
  }
  return "unknown";
}
