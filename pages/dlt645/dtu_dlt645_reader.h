// The DL/T 645 page's Read on one paced command sequence, on the page's
// thread: the basic parameters (switch, channel count, meter channels), then
// per configure channel its rule and, for a Parse rule, its items 200 ms
// apart. Later queries depend on earlier answers (the channel count says
// which rules to ask, a rule how many items), so they are put into the
// sequence as the answers come.
//
// Every query's outcome comes to the reader. A query the device refused, one
// without an answer, or one whose answer does not read as its value, is
// noted with the place it fills, and the Read goes on: one channel's trouble
// leaves the other fields as read. When the sequence ends the page hears
// what the Read did not get. The sequence is a child of the page: it stops
// when the page goes, and a new Read replaces a running one.
#pragma once

#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"
#include "pages/dlt645/dtu_dlt645.h"
#include "pages/kit/dtu_cmd_sequence.h"

class DtuDlt645Reader {
 public:
  enum class Scope {
    kWhole,  // the basic parameters, then the rules of channels 1..count
    kBasic,  // the basic parameters
    kRule,   // one configure channel's rule
  };
  // Pause after each item query.
  static constexpr int kItemPauseMs = 200;
  // How long an answer may take: the command port itself waits up to 5 s
  // for each command ahead of ours.
  static constexpr int kAnswerWaitMs = 6000;

  explicit DtuDlt645Reader(DtuDLT645 &page);
  ~DtuDlt645Reader();
  DtuDlt645Reader(const DtuDlt645Reader &) = delete;
  DtuDlt645Reader &operator=(const DtuDlt645Reader &) = delete;

  // `channel`: the configure channel a kRule read asks for.
  void Start(Scope scope, int channel = 0);
  bool Running() const { return running_; }

 private:
  // What one query asks for (kMeter: every meter channel at once).
  struct Query {
    DtuDlt645Unread::Kind kind;
    int channel;
    int item;
    bool sent = false;
    bool heard = false;  // its outcome came
  };

  // A query step: it waits for its line's outcome (`wait`), or the sequence
  // goes on once the line is queued and the outcome comes to the reader.
  DtuCmdStep Step(DtuDlt645Unread::Kind kind, int channel, int item, const std::string &line, const char *key,
                  bool wait, int pause_ms = 0);
  // A Parse rule's items, 200 ms apart, then a wait until each has its outcome.
  std::vector<DtuCmdStep> ItemSteps(int channel, int count);
  bool ItemsHeard(int channel) const;
  bool WaitingAfterItems(int channel) const;
  void InsertNext(std::vector<DtuCmdStep> steps);
  void OnStepSent(int step);
  void OnOutcome(const DtuCmdReport &report);
  // The query was answered with its key line: did the answer read?
  void Judge(Query query, const std::string &answer);
  void Miss(const Query &query, const std::string &answer, const DtuCmdReport *report);
  void Finish();

  DtuDLT645 &page_;
  DtuCmdSequence *sequence_;  // owned by the page
  int owner_ = 0;
  int run_ = 0;
  bool running_ = false;
  Scope scope_ = Scope::kWhole;
  std::vector<Query> queries_;  // by id, the tag's item
  std::vector<int> plan_;       // query ids in the sequence's step order
  std::vector<DtuDlt645Unread> unread_;
};
