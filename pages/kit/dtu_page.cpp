#include "pages/kit/dtu_page.h"

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_port.h"
#include "pages/kit/dtu_page_send.h"
#include "pages/kit/dtu_read_watch.h"

DtuPage::DtuPage(QObject *parent) : QObject(parent) {
  owner_ = DtuCmdAddOwner([this](const DtuCmdReport &report) { OnOutcome(report); });
}

DtuPage::~DtuPage() { DtuCmdRemoveOwner(owner_); }

void DtuPage::ConfirmSet(DtuTextId success_text_id) {
  if (!set_pending_.load()) return;
  if (action_.Running() == DtuPageAction::Kind::kSet) {
    // Lines of this Set are still out: success is told only once every one
    // of them was answered.
    confirm_text_ = static_cast<int>(success_text_id);
    return;
  }
  set_pending_.store(false);
  DtuMessageBox(DtuLangText(success_text_id));
  emit SetConfirmed();
}

void DtuPage::FinishRead() {
  if (action_.Running() == DtuPageAction::Kind::kRead) return;  // the action's end finishes it
  if (read_pending_.exchange(false)) emit ReadFinished();
}

void DtuPage::ClearPending() {
  set_pending_.store(false);
  read_pending_.store(false);
}

void DtuPage::QueueRead(const std::vector<DtuPageLine> &lines) {
  before_read_.clear();
  for (const DtuPageLine &line : lines) {
    before_read_.emplace_back();
    size_t start = 0;
    while (start <= line.field.size()) {
      size_t end = line.field.find('/', start);
      if (end == std::string::npos) end = line.field.size();
      const std::string name = line.field.substr(start, end - start);
      std::string value;
      if (GetField(name, value)) before_read_.back().emplace_back(name, value);
      start = end + 1;
    }
  }
  // A Set whose confirming answer never came cannot be confirmed by this
  // Read's answers.
  set_pending_.store(false);
  read_keys_.clear();
  for (const DtuPageLine &line : lines) {
    const size_t bar = line.line.find('|');
    read_keys_.push_back(line.line.substr(bar + 1, line.line.find_first_of("|\r\n", bar + 1) - bar - 1));
  }
  StartRead();
  QueueAction(DtuPageAction::Kind::kRead, lines);
}

void DtuPage::QueueSet(const DtuSetLines &lines, DtuTextId success_text_id) {
  RaiseSetPending();
  set_success_text_ = static_cast<int>(success_text_id);
  std::vector<DtuPageLine> tagged;
  for (size_t i = 0; i < lines.Lines().size(); ++i) tagged.push_back({lines.Lines()[i], lines.Fields()[i]});
  QueueAction(DtuPageAction::Kind::kSet, tagged);
}

void DtuPage::QueueAction(DtuPageAction::Kind kind, const std::vector<DtuPageLine> &lines) {
  std::vector<std::string> fields;
  for (const DtuPageLine &line : lines) fields.push_back(line.field);
  action_id_ = action_.Begin(kind, fields);
  confirm_text_ = -1;
  marked_.clear();
  keys_without_answer_.clear();
  emit ActionStarted();
  action_lines_.clear();
  for (const DtuPageLine &line : lines) action_lines_.push_back(line.line);
  next_line_ = 0;
  QueueMoreLines();
}

// At most this many lines of an action wait for their outcome at a time,
// well within the 63 the command ring holds.
constexpr size_t kActionLinesAhead = 32;

void DtuPage::QueueMoreLines() {
  const int action = action_id_;
  while (next_line_ < action_lines_.size() && next_line_ < static_cast<size_t>(action_.Done()) + kActionLinesAhead) {
    const int i = static_cast<int>(next_line_++);
    const std::string &text = action_lines_[i];
    if (DtuCmdPort::DtuCmdRingbufSend(text.c_str(), static_cast<int>(text.size()), DtuCmdTag{owner_, action, i}) == 0) {
      continue;
    }
    // A line the queue refused never goes out: it can get no answer.
    if (action_.Record(action, i, DtuCmdOutcome::kNoAnswer, "")) return EndAction();
  }
}

void DtuPage::OnOutcome(const DtuCmdReport &report) {
  if (report.tag.action != action_id_ || action_.Running() == DtuPageAction::Kind::kNone) return;
  const int line = report.tag.item;
  const bool answered =
      report.outcome == DtuCmdOutcome::kAnswered || report.outcome == DtuCmdOutcome::kAcknowledged;
  if (action_.Running() == DtuPageAction::Kind::kRead && answered && line >= 0 &&
      line < static_cast<int>(read_keys_.size()) &&
      (!report.whole || !DtuCmdAnswerHoldsKeyLine(report.answer, read_keys_[line]))) {
    keys_without_answer_.push_back(read_keys_[line]);
  }
  const bool ended = action_.Record(report.tag.action, report.tag.item, report.outcome, report.error_word);
  emit ActionProgress(action_.Done(), action_.Total());
  if (ended) return EndAction();
  QueueMoreLines();
}

void DtuPage::PutBackUnanswered() {
  for (const DtuPageAction::Failure &failure : action_.Failures()) {
    if (failure.line >= static_cast<int>(before_read_.size())) continue;
    for (const auto &[name, value] : before_read_[failure.line]) {
      std::string ignored;
      SetField(name, value, ignored);
      marked_.push_back(name);
    }
  }
}

void DtuPage::EndAction() {
  const bool ok = action_.Failures().empty();
  const DtuPageAction::Kind kind = action_.LastKind();
  if (!ok) {
    // A failed action never shows success: its pending flags go, the fields
    // without an answer keep what they held, and the user learns which.
    ClearPending();
    if (kind == DtuPageAction::Kind::kRead) {
      PutBackUnanswered();
    } else {
      for (const auto &failure : action_.Failures()) marked_.push_back(failure.field);
    }
    const std::string message = DtuPageFailureMessage(action_.Failures());
    DTU_LOG("%s", message.c_str());
    emit Changed();
    emit ActionEnded(false);
    DtuWarningBox(message);
    return;
  }
  if (kind == DtuPageAction::Kind::kRead && read_pending_.exchange(false)) emit ReadFinished();
  // Every line of the Set was answered or acknowledged (a device may answer
  // a set line with a bare OK and no key line): the Set is confirmed.
  const int confirm_text = confirm_text_ >= 0 ? confirm_text_ : set_success_text_;
  if (kind == DtuPageAction::Kind::kSet && (SetPending() || confirm_text_ >= 0)) {
    ClearPending();
    emit ActionEnded(true);
    DtuMessageBox(DtuLangText(static_cast<DtuTextId>(confirm_text)));
    emit SetConfirmed();
    return;
  }
  emit ActionEnded(true);
}
