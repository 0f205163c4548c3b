// The DL/T 645 meter page: which electricity meters the device polls on its
// serial bus (basic parameters: switch, channel count, six meter channels)
// and, per configure channel, how their data is forwarded (a Transparent or
// Parse rule with up to eight parameters).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/dtu_cmd_outcome.h"
#include "pages/dlt645/dtu_dlt645_records.h"
#include "pages/kit/dtu_field_rows.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_store.h"

class DtuDlt645Reader;
class DtuSetLines;

// One meter channel row, as the user typed it or the device reported it.
struct DtuDlt645MeterRow {
  std::string addr;
  std::string preamble;
  std::string di_num;
  std::string cycle;
  std::string di_list;  // DI codes separated by ","
};

struct DtuDlt645ParamRow {
  std::string tag;
  std::string di;
  int data_type = 0;    // 0 int8 .. 9 BCD uint32
  int data_endian = 0;  // 0 "AB", 1 "BA"
  int data_rule = 0;    // 0 No Scale, 1 Multiply, 2 Divide
  std::string rate;     // multiplier; empty or below 1 is sent as 1
};

struct DtuDlt645RuleRows {
  int rule = 0;         // 0 Transparent, 1 Parse
  int param_count = 1;  // 1..8 (Parse)
  DtuDlt645ParamRow params[kDlt645Params];
};

struct DtuDlt645Model {
  int switch_index = 0;   // 0 ON, 1 OFF; the wire and the file say 1 for ON
  int channel_count = 1;  // 1..6
  DtuDlt645MeterRow meters[kDlt645Channels];
  int config_channel = 1;  // 1..6: the rule on view and the one Read and Set work on
  DtuDlt645RuleRows rules[kDlt645Channels];  // rules[c - 1] belongs to configure channel c

  DtuDlt645RuleRows &Rule(int channel) { return rules[channel - 1]; }
  const DtuDlt645RuleRows &Rule(int channel) const { return rules[channel - 1]; }
  // Meter rows show while the switch is ON, rows 1..channel count.
  bool MeterRowVisible(int k) const { return switch_index == 0 && k <= channel_count; }
  // Parameter headings and rows show for a Parse rule, rows 1..count.
  bool ParamsVisible() const { return Rule(config_channel).rule == 1; }
  bool ParamRowVisible(int p) const { return ParamsVisible() && p <= Rule(config_channel).param_count; }
};

// What a Read did not get from the device: the place it belongs to, and
// why. A failure is named to the user and fails the Read; an empty rule
// answer ("no rule") is not, but its fields were not read either.
struct DtuDlt645Unread {
  enum Kind { kSwitch, kChannel, kMeter, kRule, kItem } kind = kSwitch;
  int channel = 0;         // kMeter, kRule, kItem
  int item = 0;            // kItem
  unsigned missing = 0;    // kMeter: the DtuDlt645Meter fields that did not come
  bool failure = true;     // false: an empty rule answer
  std::optional<DtuCmdOutcome> outcome;  // none: answered, but not readable
  std::string error_word;  // a refusal's error word
  std::string answer;      // an answer that did not read
};

// The page's field names of meter channel k (`fields`: DtuDlt645Meter bits,
// and its DI codes `with_dis`) and of parameter p of configure channel c.
std::vector<std::string> DtuDlt645MeterFieldNames(int k, unsigned fields, bool with_dis = false);
std::vector<std::string> DtuDlt645ParamFieldNames(int c, int p);

class DtuDLT645 : public DtuPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  std::vector<std::string> FileSections() const override { return {"DLT645"}; }
  static constexpr int kSwitchCount = 2;
  static constexpr int kRuleCount = 2;
  static constexpr int kDataTypeCount = 10;
  static constexpr int kEndianCount = 2;
  static constexpr int kDataRuleCount = 3;

  explicit DtuDLT645(QObject *parent = nullptr);
  ~DtuDLT645() override;

  const DtuDlt645Model &Model() const { return model_; }
  // The list texts in the current language.
  static std::vector<std::string> SwitchItems();
  static std::vector<std::string> RuleItems();
  static std::vector<std::string> DataTypeItems();
  static std::vector<std::string> DataRuleItems();
  static std::vector<std::string> EndianItems();

  bool OnBnClickedBtBasicRead();
  bool OnBnClickedBtBasicSet();
  bool OnBnClickedBtRuleRead();
  bool OnBnClickedBtRuleSet();
  bool OnBnClickedBtSaveLocal();
  bool OnBnClickedBtReadLocal();

  // Answer handlers.
  void Dlt645SwitchSet(const char *value, int length);
  void Dlt645ChannelSet(const char *value, int length);
  void Dlt645MeterCfgSet(const char *value, int length);
  void Dlt645MeterRuleSet(const char *value, int length);
  void Dlt645MeterRuleItemSet(const char *value, int length);

  // varnokctl: the configuration file's keys ("funcSwitch", "addr1",
  // "di1_2", "rule2", "tag2_3", ...) and "configChannel"; values as the file
  // stores them. The view also uses names of its own for the rule on view.
  const char *PageName() const override { return "dlt645"; }
  std::vector<DtuPageFieldInfo> Fields() const override;
  bool GetField(const std::string &name, std::string &value) const override;
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;
  // Read: the basic parameters, then the rules of the six configure
  // channels (of channels 1..count when the device answered no count).
  // Set: the basic parameters and the rules changed since the last Read (by
  // name, or all of them by Read Local), as one action.
  bool Read() override;
  bool Set() override;
  bool ReadPending() const override;
  bool Busy() const override;
  // The last Read ended without a field it asked for (named to the user);
  // FailedOutcome tells how its first such field failed.
  bool Failed() const override { return read_failed_; }
  std::optional<DtuCmdOutcome> FailedOutcome() const override { return failed_outcome_; }

  // The rule answer of the channel being read, as the reader judges it.
  enum class RuleAnswer { kNone, kEmpty, kTransparent, kParse };

 signals:
  // The rule on view switched to another configure channel.
  void ConfigChannelChanged();

 private:
  friend class DtuDlt645Reader;

  bool BuildBasicLines(DtuSetLines &lines) const;
  bool BuildRuleLines(int channel, DtuSetLines &lines) const;
  void OnSwitch(const char *value);
  void OnChannel(const char *value);
  void OnMeters(const char *value);
  void OnRule(const char *value);
  void OnRuleItems(const char *value);
  void ClearRuleRows(int channel);

  // The reader's side: what is about to be asked, and the end of a Read
  // with the fields it did not get (put back as they were and marked).
  void ReadStarting();
  void MetersAsked();
  void RuleAsked(int channel);
  void ReadEnded(const std::vector<DtuDlt645Unread> &unread);
  void PutBack(const DtuDlt645Unread &unread, std::vector<std::string> &names);

  DtuDlt645Model model_;
  // The fields by name over model_ (pages/dlt645/dtu_dlt645_fields.cpp).
  void BuildFields();
  DtuMadeFields fields_;
  DtuDlt645Model before_read_;  // the model as the running Read found it

  // What the answers of the step being read gave (the reader resets them).
  bool switch_read_ = false;
  bool channel_read_ = false;
  int channel_answer_ = 0;  // the count as answered, before it is limited to 1..6
  unsigned meter_fields_[kDlt645Channels] = {};  // DtuDlt645Meter fields that came, per channel
  int channel_being_read_ = 0;  // the rule's configure channel, 0 when no rule is read
  RuleAnswer rule_answer_ = RuleAnswer::kNone;
  int items_to_read_ = 0;
  unsigned items_answered_ = 0;  // of the channel being read, bit p-1 for item p

  bool read_failed_ = false;
  std::optional<DtuCmdOutcome> failed_outcome_;

  // Configure channels whose rule fields were changed since the last Read
  // (varnokctl writes only those), and those whose rule the page knows from
  // the device or the file (a Save keeps those; a Set writes no other).
  // A whole-page Set is out: its rule read-backs leave the rule on view.
  bool whole_set_ = false;
  unsigned rules_changed_ = 0;
  unsigned rules_known_ = 0;
  unsigned rules_asked_ = 0;  // by the running Read

  std::unique_ptr<DtuDlt645Reader> reader_;
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuDLT645> reference_{this};
};
