// Watches the queries of one Read, to tell a whole Read from one that a
// pause, an ERROR or noise on the line left with cut or blank fields.
//
// While a watch is alive, DtuPageQueueGet tags every query with it, so each
// query gets exactly one outcome report. A query has its own answer when it
// was answered (not an error, no answer or a closed port), the burst ended
// with a line end (a pause did not cut the answer in two), and the answer
// holds the query's key line ("<key> : <value>"; noise that ended the wait
// holds none, and pushes the real answer onto the next query).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "link/dtu_cmd_answer_match.h"
#include "link/dtu_cmd_outcome.h"

class DtuReadWatch {
 public:
  DtuReadWatch();   // becomes the watch DtuPageQueueGet tags with
  ~DtuReadWatch();  // stops watching; later reports are not heard
  DtuReadWatch(const DtuReadWatch &) = delete;
  DtuReadWatch &operator=(const DtuReadWatch &) = delete;

  // The tag for a query of `key` queued now: the current watch's, or an
  // untagged one (owner 0) when no watch is alive.
  static DtuCmdTag TagQuery(const std::string &key);

  int Queries() const;
  // Every query queued so far has its report.
  bool AllReported() const;
  // Keys of the queries without an answer of their own, in query order.
  std::vector<std::string> KeysWithoutTheirAnswer() const;
  // Keys of the queries the device answered with an error word.
  std::vector<std::string> KeysRefused() const;

 private:
  void OnReport(const DtuCmdReport &report);

  struct Query {
    std::string key;
    bool reported = false;
    bool own_answer = false;
    bool refused = false;
  };
  int owner_ = 0;
  mutable std::mutex mutex_;
  std::vector<Query> queries_;  // guarded by mutex_
};

