// What every settings page shares: the signals a view or varnokctl listens
// to, and access to the page's fields by the page's own names, so that a page
// can be driven without any widget.
#pragma once

#include <QObject>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/dtu_text_id.h"
#include "pages/kit/dtu_page_action.h"

class DtuSetLines;

struct DtuPageFieldInfo {
  std::string name;    // the page's own name ("IMEI", "BaudRate", ...)
  bool is_list;        // the value is a list index
  int list_size;       // entries of the list when is_list
  // What the page declares of the value, for a user who asks what a field
  // takes (`varnokctl fields`) before typing it:
  bool is_number = false;          // a number, not a list index or a text
  long long min_value = 0;         // a number's range; none when max < min
  long long max_value = -1;
  std::size_t text_limit = 0;      // bytes a text may hold; 0: none declared
  std::optional<DtuTextId> label = std::nullopt;  // the window's label; none: the name is its label
  std::vector<std::string> (*items)() = nullptr;  // a list's entries, in the current language

  bool Ranged() const { return max_value >= min_value; }
};

class DtuPage : public QObject {
  Q_OBJECT

 public:
  explicit DtuPage(QObject *parent = nullptr);
  ~DtuPage() override;

  // The short name varnokctl uses ("devinfo", "dataport", ...).
  virtual const char *PageName() const = 0;
  virtual std::vector<DtuPageFieldInfo> Fields() const = 0;
  // Text of a field, a list field as its selected index (-1: no selection).
  // Names compare without regard to case. False for an unknown name.
  virtual bool GetField(const std::string &name, std::string &value) const = 0;
  // Changes one field as the user would; a list takes an index in range.
  // Emits nothing: the caller is the one who changed it.
  virtual bool SetField(const std::string &name, const std::string &value, std::string &error) = 0;

  // A page that holds several groups of settings, which Read, Set and the
  // local file reach one at a time (the business packets), names them here;
  // a whole-device backup or apply works each group in turn. Most pages
  // are one group: none named.
  virtual std::vector<std::string> GroupNames() const { return {}; }
  // Makes `name` the group Read, Set, the fields and the file act on.
  virtual bool SelectGroup(const std::string &) { return false; }

  // The page's Read and Set (every half, on the TCP/UDP page). False when
  // the page refused (port closed, a field too long): nothing was queued.
  virtual bool Read() = 0;
  virtual bool Set() = 0;
  // Save to Local and Read Local, on the file DtuPageConfigPath() names.
  virtual bool OnBnClickedBtSaveLocal() = 0;
  virtual bool OnBnClickedBtReadLocal() = 0;
  // True from Read until the answer to its last query arrived.
  virtual bool ReadPending() const { return read_pending_.load(); }
  // True from Set until the answer that confirms it arrived.
  virtual bool SetPending() const { return set_pending_.load(); }
  // True while a worker of the page may still queue commands: an empty
  // command queue does not yet mean that every answer is in.
  virtual bool Busy() const { return false; }
  // True when the last Read or Set ended in a failure the page reported
  // (a time-out, a device error, an answer different from what was written).
  virtual bool Failed() const { return false; }
  // With Failed(): how the page's own steps failed, the outcome of the
  // first line that failed (kDeviceError: the device refused one), or none
  // when an answer came that did not read as its value.
  virtual std::optional<DtuCmdOutcome> FailedOutcome() const { return std::nullopt; }
  bool FailedOnDeviceError() const { return FailedOutcome() == DtuCmdOutcome::kDeviceError; }
  // True when the last Read or Set stopped on a check of its own after
  // asking the device (the Modbus pages: the other one's function is on):
  // nothing was written, as when Set() refuses at once.
  virtual bool Refused() const { return false; }

  // The Read or Set whose lines are still out (kNone when none is), and how
  // many of its lines have their outcome.
  DtuPageAction::Kind RunningAction() const { return action_.Running(); }
  int ActionDone() const { return action_.Done(); }
  int ActionTotal() const { return action_.Total(); }
  const std::vector<DtuPageAction::Failure> &ActionFailures() const { return action_.Failures(); }
  // Fields of the last action that got no answer (views mark them).
  const std::vector<std::string> &MarkedFields() const { return marked_; }
  // Keys of the last Read's queries that were answered, but not with an
  // answer of their own (a cut burst, noise): the fields may be blank or cut.
  const std::vector<std::string> &KeysWithoutTheirAnswer() const { return keys_without_answer_; }

 signals:
  // The model changed (an answer, Read, Read Local): views refresh.
  void Changed();
  // The answer to the last query of a Read arrived.
  void ReadFinished();
  // A Set was confirmed by the device (the success message was shown).
  void SetConfirmed();
  // A Read or Set queued its lines / one more line has its outcome / every
  // line has one (`ok`: all were answered; else the user was told what failed).
  void ActionStarted();
  void ActionProgress(int done, int total);
  void ActionEnded(bool ok);

 protected:
  // Raised by a Set that queued its lines.
  void RaiseSetPending() { set_pending_.store(true); }
  // On the answer that ends a Set: when one is pending, clears the flag,
  // shows the page's success text and tells the listeners.
  void ConfirmSet(DtuTextId success_text_id);
  void StartRead() { read_pending_.store(true); }
  // On the answer to the last query of a Read.
  void FinishRead();

  // Queue the lines of a Read or Set with the page as their owner: each
  // line's outcome comes back to the page, which ends the action when all
  // are in. Call before the page empties its fields for a Read: the values
  // of fields that then get no answer are put back. A Read ends a pending
  // Set of the page (its answer cannot come any more).
  void QueueRead(const std::vector<DtuPageLine> &lines);
  // `success_text_id` is shown once every line was answered or acknowledged.
  void QueueSet(const DtuSetLines &lines, DtuTextId success_text_id);
  // Clears the page's pending flags (a page with flags of its own adds them).
  virtual void ClearPending();
  // A page whose Read runs by roads of its own names the fields that Read
  // left as they were (views mark them).
  void SetMarkedFields(std::vector<std::string> fields) { marked_ = std::move(fields); }

  // Answers arrive on the page's own thread; the flags are atomic all the
  // same, since they are also read from varnokctl's waiting loop.
  std::atomic<bool> set_pending_{false};
  std::atomic<bool> read_pending_{false};

 private:
  void QueueAction(DtuPageAction::Kind kind, const std::vector<DtuPageLine> &lines);
  void QueueMoreLines();
  void OnOutcome(const DtuCmdReport &report);
  void EndAction();
  void PutBackUnanswered();

  int owner_ = 0;
  DtuPageAction action_;
  int action_id_ = 0;
  // The running action's lines, and the first of them not yet handed to the
  // command port: an action of more lines than the command ring holds goes
  // out as the outcomes of its earlier lines make room.
  std::vector<std::string> action_lines_;
  size_t next_line_ = 0;
  // Per line of the running Read: its fields' names and values before it.
  std::vector<std::vector<std::pair<std::string, std::string>>> before_read_;
  std::vector<std::string> marked_;
  std::vector<std::string> read_keys_;  // per line of the running Read
  std::vector<std::string> keys_without_answer_;
  int confirm_text_ = -1;  // a Set confirmed while its lines were still out
  int set_success_text_ = 0;
};
