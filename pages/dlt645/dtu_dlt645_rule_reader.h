// The forwarding rule read: per configure channel it queues the rule query
// and waits for the header answer, then queues the item queries 200 ms apart
// and waits for their answers. Later queries depend on earlier answers, so it
// runs as paced command sequences (one for the header, one for the items of
// a Parse rule) on the page's thread. The sequence is a child of the page:
// it stops when the page goes, and a new read replaces a running one.
#pragma once

#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"
#include "pages/kit/dtu_cmd_sequence.h"

class DtuDLT645;

class DtuDlt645RuleReader {
 public:
  // Pause after each item query.
  static constexpr int kItemPauseMs = 200;
  // How long an answer may take: the command port itself waits up to 5 s
  // for each command ahead of ours.
  static constexpr int kAnswerWaitMs = 6000;

  explicit DtuDlt645RuleReader(DtuDLT645 &page);
  ~DtuDlt645RuleReader();
  DtuDlt645RuleReader(const DtuDlt645RuleReader &) = delete;
  DtuDlt645RuleReader &operator=(const DtuDlt645RuleReader &) = delete;

  // Reads the channels in order; a read still running is replaced.
  void Start(const std::vector<int> &channels);
  bool Running() const { return sequence_->Running(); }

 private:
  int Channel() const { return channels_[index_]; }
  void ReadChannel();
  void ReadItems(int count);
  void OnSequenceDone();
  void OnSequenceFailed(DtuSequenceFailure reason);
  void OnOutcome(const DtuCmdReport &report);
  void Finish(int failed_channel, bool refused);
  DtuCmdStep Query(const std::string &line, int item) const;

  DtuDLT645 &page_;
  DtuCmdSequence *sequence_;  // owned by the page
  std::vector<int> channels_;
  size_t index_ = 0;           // the channel being read
  bool reading_items_ = false;  // the sequence running holds the item queries
  int owner_ = 0;
};
