#include "pages/kit/dtu_page_action.h"

#include <cstdio>

#include "base/dtu_lang.h"

namespace {

std::string Format(DtuTextId text_id, const std::string &first, const std::string &second = std::string()) {
  char buffer[1024];
  std::snprintf(buffer, sizeof(buffer), DtuLangText(text_id), first.c_str(), second.c_str());
  return buffer;
}

std::string JoinFields(const std::vector<DtuPageAction::Failure> &failures, DtuCmdOutcome outcome,
                       std::string *error_word) {
  std::string joined;
  for (const auto &f : failures) {
    if (f.outcome != outcome) continue;
    if (!joined.empty()) joined += ", ";
    joined += f.field;
    if (error_word->empty()) *error_word = f.error_word;
  }
  return joined;
}

}  // namespace

DtuPageLine DtuPageGetLine(const std::string &key, const std::string &field) {
  return {"AT+ZEVCFG=get|" + key + "\r\n", field};
}

int DtuPageAction::Begin(Kind kind, std::vector<std::string> fields) {
  kind_ = kind;
  last_kind_ = kind;
  ++action_;
  done_ = 0;
  fields_ = std::move(fields);
  recorded_.assign(fields_.size(), false);
  failures_.clear();
  return action_;
}

bool DtuPageAction::Record(int action, int line, DtuCmdOutcome outcome, const char *error_word) {
  if (kind_ == Kind::kNone || action != action_ || line < 0 || line >= Total() || recorded_[line]) return false;
  recorded_[line] = true;
  ++done_;
  if (outcome != DtuCmdOutcome::kAnswered && outcome != DtuCmdOutcome::kAcknowledged) {
    failures_.push_back({line, fields_[line], outcome, error_word ? error_word : ""});
  }
  if (done_ < Total()) return false;
  kind_ = Kind::kNone;
  return true;
}

std::string DtuPageFailureMessage(const std::vector<DtuPageAction::Failure> &failures) {
  std::string message;
  auto add = [&](const std::string &line) {
    if (!message.empty()) message += "\n";
    message += line;
  };
  std::string word;
  std::string fields = JoinFields(failures, DtuCmdOutcome::kDeviceError, &word);
  if (!fields.empty()) add(Format(DtuTextId::kDeviceRefused, fields, word));
  fields = JoinFields(failures, DtuCmdOutcome::kNoAnswer, &word);
  if (!fields.empty()) add(Format(DtuTextId::kNoAnswerFor, fields));
  fields = JoinFields(failures, DtuCmdOutcome::kPortClosed, &word);
  if (!fields.empty()) add(Format(DtuTextId::kPortClosedBeforeAnswer, fields));
  return message;
}
