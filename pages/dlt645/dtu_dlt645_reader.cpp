#include "pages/dlt645/dtu_dlt645_reader.h"

#include "base/dtu_log.h"

namespace {

using Kind = DtuDlt645Unread::Kind;

std::string RuleQuery(int c) { return "AT+ZEVCFG=get|dlt645-meter-rule|ch:" + std::to_string(c) + "\r\n"; }

std::string ItemQuery(int c, int p) {
  return "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:" + std::to_string(c) + "/paramId:" + std::to_string(p) + "\r\n";
}

}  // namespace

// Every query's outcome comes to the reader, whether its step waits for it
// or not; a step that waits is passed over when its line fails (refused, no
// answer, a bare OK): the reader notes the failure and the read goes on.
// Only a closed port or a full command ring ends it early.
DtuDlt645Reader::DtuDlt645Reader(DtuDLT645 &page) : page_(page), sequence_(new DtuCmdSequence(&page)) {
  owner_ = DtuCmdAddOwner([this](const DtuCmdReport &report) { OnOutcome(report); });
  QObject::connect(sequence_, &DtuCmdSequence::StepSent, sequence_, [this](int step) { OnStepSent(step); });
  QObject::connect(sequence_, &DtuCmdSequence::Done, sequence_, [this] { Finish(); });
  QObject::connect(sequence_, &DtuCmdSequence::Failed, sequence_,
                   [this](int, DtuSequenceFailure, const QByteArray &) { Finish(); });
}

// Before the page's members go: no outcome and no answer reaches this reader
// or the sequence any more.
DtuDlt645Reader::~DtuDlt645Reader() {
  DtuCmdRemoveOwner(owner_);
  delete sequence_;
}

DtuCmdStep DtuDlt645Reader::Step(Kind kind, int channel, int item, const std::string &line, const char *key,
                                 bool wait, int pause_ms) {
  queries_.push_back({kind, channel, item});
  DtuCmdStep step;
  step.line = line;
  step.key = key;
  step.end = wait ? DtuStepEnd::kKey : DtuStepEnd::kNoWait;
  step.timeout_ms = kAnswerWaitMs;
  step.pause_after_ms = pause_ms;
  step.timeout_fails = false;
  step.error_fails = false;
  step.tag = DtuCmdTag{owner_, run_, static_cast<int>(queries_.size()) - 1};
  return step;
}

void DtuDlt645Reader::Start(Scope scope, int channel) {
  ++run_;  // outcomes of an earlier read are not heard
  scope_ = scope;
  queries_.clear();
  plan_.clear();
  unread_.clear();
  running_ = true;
  page_.ReadStarting();
  std::vector<DtuCmdStep> steps;
  if (scope == Scope::kRule) {
    steps.push_back(Step(Kind::kRule, channel, 0, RuleQuery(channel), "dlt645-meter-rule", true));
  } else {
    // The three basic queries go out at once; the rules wait for the last.
    steps.push_back(Step(Kind::kSwitch, 0, 0, "AT+ZEVCFG=get|dlt645-switch|\r\n", "dlt645-switch", false));
    steps.push_back(Step(Kind::kChannel, 0, 0, "AT+ZEVCFG=get|dlt645-channel|\r\n", "dlt645-channel", false));
    steps.push_back(Step(Kind::kMeter, 0, 0, "AT+ZEVCFG=get|dlt645-meter-cfg|\r\n", "dlt645-meter-cfg", true));
  }
  for (const DtuCmdStep &step : steps) plan_.push_back(step.tag.item);
  sequence_->Start(std::move(steps));
}

// Right after the step being waited for, in the sequence and in the plan.
void DtuDlt645Reader::InsertNext(std::vector<DtuCmdStep> steps) {
  const auto at = plan_.begin() + sequence_->CurrentStep() + 1;
  std::vector<int> ids;
  for (const DtuCmdStep &step : steps) ids.push_back(step.tag.item);
  plan_.insert(at, ids.begin(), ids.end());
  sequence_->InsertNext(std::move(steps));
}

std::vector<DtuCmdStep> DtuDlt645Reader::ItemSteps(int channel, int count) {
  std::vector<DtuCmdStep> steps;
  for (int p = 1; p <= count; ++p) {
    steps.push_back(
        Step(Kind::kItem, channel, p, ItemQuery(channel, p), "dlt645-meter-rule-item", false, kItemPauseMs));
  }
  // Sends nothing; ends once every item has its outcome (the reader then
  // advances it), or is passed over after the answer wait.
  DtuCmdStep wait = Step(Kind::kItem, channel, 0, std::string(), "", false);
  wait.end = DtuStepEnd::kUntil;
  wait.until = [this, channel] { return ItemsHeard(channel); };
  wait.tag.owner = 0;  // no line, no outcome; the item keeps its place in the plan
  steps.push_back(wait);
  return steps;
}

bool DtuDlt645Reader::ItemsHeard(int channel) const {
  for (const Query &query : queries_) {
    if (query.kind == Kind::kItem && query.channel == channel && query.item > 0 && !query.heard) return false;
  }
  return true;
}

bool DtuDlt645Reader::WaitingAfterItems(int channel) const {
  const int step = sequence_->CurrentStep();
  if (!sequence_->Running() || step < 0 || step >= static_cast<int>(plan_.size())) return false;
  const Query &current = queries_[plan_[step]];
  return current.kind == Kind::kItem && current.item == 0 && current.channel == channel;
}

void DtuDlt645Reader::OnStepSent(int step) {
  Query &query = queries_[plan_[step]];
  if (query.kind == Kind::kItem && query.item == 0) return;  // the wait after the items
  query.sent = true;
  switch (query.kind) {
    case Kind::kSwitch: page_.switch_read_ = false; break;
    case Kind::kChannel:
      page_.channel_read_ = false;
      page_.channel_answer_ = 0;
      break;
    case Kind::kMeter: page_.MetersAsked(); break;
    case Kind::kRule: page_.RuleAsked(query.channel); break;
    case Kind::kItem: break;
  }
}

// Reaches the reader before the sequence acts on it, with the answer's
// handler already run: what the handler made of the answer decides.
void DtuDlt645Reader::OnOutcome(const DtuCmdReport &report) {
  if (!running_ || report.tag.action != run_) return;
  queries_[report.tag.item].heard = true;
  const Query query = queries_[report.tag.item];  // a copy: steps added below grow the list
  if (report.outcome == DtuCmdOutcome::kAnswered) {
    Judge(query, report.answer);
  } else {
    // A bare OK to a query carries no value: the answer did not read.
    const bool bare_ok = report.outcome == DtuCmdOutcome::kAcknowledged;
    Miss(query, bare_ok ? "OK" : report.answer, bare_ok ? nullptr : &report);
  }
  // The last item's outcome ends the wait after the items (a late one, after
  // the wait was passed over, ends nothing).
  if (query.kind == Kind::kItem && ItemsHeard(query.channel) && WaitingAfterItems(query.channel)) {
    sequence_->Advance();
  }
  if (query.kind != Kind::kMeter || scope_ != Scope::kWhole || report.outcome == DtuCmdOutcome::kPortClosed) return;
  // Rules belong to the configure channels 1..6, whatever the channel count.
  // A device that answered no channel count of 1..6 (0, shown as 1, or none
  // at all) has no meter channel set up: only the rules of the channels the
  // page shows are asked.
  const int answer = page_.channel_answer_;
  const int channels = answer >= 1 && answer <= kDlt645Channels ? kDlt645Channels : page_.model_.channel_count;
  std::vector<DtuCmdStep> rules;
  for (int c = 1; c <= channels; ++c) {
    rules.push_back(Step(Kind::kRule, c, 0, RuleQuery(c), "dlt645-meter-rule", true));
  }
  InsertNext(std::move(rules));
}

void DtuDlt645Reader::Judge(const Query query, const std::string &answer) {
  switch (query.kind) {
    case Kind::kSwitch:
      if (!page_.switch_read_) Miss(query, answer, nullptr);
      return;
    case Kind::kChannel:
      if (!page_.channel_read_) Miss(query, answer, nullptr);
      return;
    case Kind::kMeter:
      return Miss(query, answer, nullptr);  // names only the channels whose record did not come
    case Kind::kRule:
      switch (page_.rule_answer_) {
        case DtuDLT645::RuleAnswer::kParse:
          if (page_.items_to_read_ > 0) InsertNext(ItemSteps(query.channel, page_.items_to_read_));
          return;
        case DtuDLT645::RuleAnswer::kTransparent: return;
        case DtuDLT645::RuleAnswer::kEmpty: {
          // No rule: not a failure, but nothing of the rule was read.
          DtuDlt645Unread none;
          none.kind = Kind::kRule;
          none.channel = query.channel;
          none.failure = false;
          unread_.push_back(none);
          return;
        }
        case DtuDLT645::RuleAnswer::kNone: return Miss(query, answer, nullptr);
      }
      return;
    case Kind::kItem:
      if ((page_.items_answered_ & (1u << (query.item - 1))) == 0) Miss(query, answer, nullptr);
      return;
  }
}

// `report`: the line's failed outcome; none for an answer that did not read.
void DtuDlt645Reader::Miss(const Query &query, const std::string &answer, const DtuCmdReport *report) {
  DtuDlt645Unread unread;
  unread.kind = query.kind;
  unread.channel = query.channel;
  unread.item = query.item;
  if (report != nullptr) {
    unread.outcome = report->outcome;
    unread.error_word = report->error_word ? report->error_word : "";
  }
  unread.answer = answer;
  if (query.kind != Kind::kMeter) return unread_.push_back(unread);
  // One query fills every meter channel: each of 1..count whose record did
  // not come whole is named; a failed query names them all.
  for (int k = 1; k <= page_.model_.channel_count; ++k) {
    const unsigned came = report != nullptr ? 0u : page_.meter_fields_[k - 1];
    unread.channel = k;
    unread.missing = DtuDlt645Meter::kAll & ~came;
    if (unread.missing != 0) unread_.push_back(unread);
  }
}

// A query sent whose outcome never came (the sequence gave up waiting, the
// port closed, the ring refused it) got no answer.
void DtuDlt645Reader::Finish() {
  if (!running_) return;
  running_ = false;
  for (const int id : plan_) {
    const Query &query = queries_[id];
    if (!query.sent || query.heard) continue;
    DtuCmdReport silent;
    silent.outcome = DtuCmdOutcome::kNoAnswer;
    Miss(query, "", &silent);
  }
  DTU_LOG("read ended, %d places not read.", static_cast<int>(unread_.size()));
  page_.ReadEnded(unread_);
}
