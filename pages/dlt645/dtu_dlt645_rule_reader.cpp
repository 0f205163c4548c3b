#include "pages/dlt645/dtu_dlt645_rule_reader.h"

#include <QMetaObject>

#include "base/dtu_log.h"
#include "pages/dlt645/dtu_dlt645.h"

// A query of the read that ends without an answer line (a device error, no
// answer, the port closing) ends the read at once instead of after the
// answer wait: its outcome, not the error word of some other answer, counts.
DtuDlt645RuleReader::DtuDlt645RuleReader(DtuDLT645 &page) : page_(page), sequence_(new DtuCmdSequence(&page)) {
  owner_ = DtuCmdAddOwner([this](const DtuCmdReport &report) { OnOutcome(report); });
  QObject::connect(sequence_, &DtuCmdSequence::Done, sequence_, [this] { OnSequenceDone(); });
  QObject::connect(sequence_, &DtuCmdSequence::Failed, sequence_,
                   [this](int, DtuSequenceFailure reason, const QByteArray &) { OnSequenceFailed(reason); });
}

// Before the page's members go: no outcome and no answer reaches this reader
// or the sequence any more.
DtuDlt645RuleReader::~DtuDlt645RuleReader() {
  DtuCmdRemoveOwner(owner_);
  delete sequence_;
}

void DtuDlt645RuleReader::Start(const std::vector<int> &channels) {
  channels_ = channels;
  index_ = 0;
  if (channels_.empty()) {
    Finish(0, false);
    return;
  }
  ReadChannel();
}

DtuCmdStep DtuDlt645RuleReader::Query(const std::string &line, int item) const {
  DtuCmdStep step;
  step.line = line;
  step.timeout_ms = kAnswerWaitMs;
  step.error_fails = false;
  step.tag = DtuCmdTag{owner_, Channel(), item};
  return step;
}

void DtuDlt645RuleReader::ReadChannel() {
  const int channel = Channel();
  page_.items_answered_ = 0;
  page_.items_to_read_ = 0;
  page_.rule_read_state_ = 0;
  page_.channel_being_read_ = channel;
  reading_items_ = false;
  DtuCmdStep header = Query("AT+ZEVCFG=get|dlt645-meter-rule|ch:" + std::to_string(channel) + "\r\n", 0);
  header.end = DtuStepEnd::kUntil;
  header.until = [this] { return page_.rule_read_state_.load() != 0; };
  sequence_->Start({header});
}

// Each item query is followed by its pause; then the read waits until every
// item answered.
void DtuDlt645RuleReader::ReadItems(int count) {
  const std::string prefix = "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:" + std::to_string(Channel()) + "/paramId:";
  std::vector<DtuCmdStep> steps;
  for (int p = 1; p <= count; ++p) {
    DtuCmdStep item = Query(prefix + std::to_string(p) + "\r\n", p);
    item.end = DtuStepEnd::kNoWait;
    item.pause_after_ms = kItemPauseMs;
    steps.push_back(item);
  }
  DtuCmdStep answers = Query("", 0);
  answers.end = DtuStepEnd::kUntil;
  const unsigned all = (1u << count) - 1u;
  answers.until = [this, all] { return (page_.items_answered_.load() & all) == all; };
  steps.push_back(answers);
  reading_items_ = true;
  sequence_->Start(std::move(steps));
}

void DtuDlt645RuleReader::OnSequenceDone() {
  if (!reading_items_ && page_.rule_read_state_ > 0) {
    ReadItems(page_.items_to_read_);
    return;
  }
  if (++index_ < channels_.size()) {
    ReadChannel();
  } else {
    Finish(0, false);
  }
}

// No answer in time, or a line the ring refused, is "no answer"; a query
// that came back without its answer is the device refusing.
void DtuDlt645RuleReader::OnSequenceFailed(DtuSequenceFailure reason) {
  const bool refused = reason == DtuSequenceFailure::kPage || reason == DtuSequenceFailure::kErrorAnswer;
  const int channel = Channel();
  DTU_LOG("rule read of channel %d failed (%s).", channel, refused ? "device error" : "no answer");
  Finish(channel, refused);
}

// Outcomes arrive on the page's thread when the port dispatches them there;
// otherwise the failure is posted to it.
void DtuDlt645RuleReader::OnOutcome(const DtuCmdReport &report) {
  if (report.outcome == DtuCmdOutcome::kAnswered) return;
  DtuCmdSequence *sequence = sequence_;
  QMetaObject::invokeMethod(
      sequence, [sequence] { sequence->Fail(); }, Qt::AutoConnection);
}

void DtuDlt645RuleReader::Finish(int failed_channel, bool refused) {
  page_.channel_being_read_ = 0;
  page_.OnRuleSequenceDone(failed_channel, refused);
}
