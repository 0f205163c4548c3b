// The DL/T 645 meter page: which electricity meters the device polls on its
// serial bus (basic parameters: switch, channel count, six meter channels)
// and, per configure channel, how their data is forwarded (a Transparent or
// Parse rule with up to eight parameters).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "pages/dlt645/dtu_dlt645_records.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_store.h"

class DtuDlt645RuleReader;

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
  static DtuDLT645 *Instance();

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
  // Both groups: the basic parameters and the rules of all six configure
  // channels; a Set writes the rules whose fields were changed by name.
  bool Read() override;
  bool Set() override;
  bool ReadPending() const override;
  bool SetPending() const override;
  bool Busy() const override;
  // The last rule read ended without every channel's rule (refused or silent).
  bool Failed() const override { return rule_read_failed_; }

  // Rule read state (the rule reader waits on it): 0 waiting for the rule
  // header, 1 reading items, -1 transparent.
  int RuleReadState() const { return rule_read_state_.load(); }
  int ItemsToRead() const { return items_to_read_.load(); }
  // The configure channel a running rule read works on, 0 when none runs.
  int ChannelBeingRead() const { return channel_being_read_.load(); }

 signals:
  // The rule on view switched to another configure channel.
  void ConfigChannelChanged();

 private:
  friend class DtuDlt645RuleReader;

  // Basic group.
  void QueueBasicRead();
  bool BuildBasicLines(class DtuSetLines &lines, unsigned &sent) const;
  void QueueBasicSet(const class DtuSetLines &lines, unsigned sent);
  void OnSwitch(const char *value);
  void OnChannel(const char *value);
  void OnMeters(const char *value);
  void CheckBasicConfirmed();

  // Forwarding rule group.
  void ClearRuleRows(int channel);
  bool StartRuleRead(const std::vector<int> &channels);
  bool QueueRuleSet(int channel);
  void OnRule(const char *value);
  void OnRuleItems(const char *value);
  void RuleCheckConfirmed();
  // When the rule reader ended (0, or the channel that gave no answer or an
  // error).
  void OnRuleSequenceDone(int failed_channel, bool refused);

  DtuDlt645Model model_;

  // Basic confirmation: which answers a Set still waits for. The meter
  // channels are a bit mask of the channels that Set sent.
  std::atomic<bool> basic_pending_{false};
  std::atomic<bool> switch_outstanding_{false};
  std::atomic<bool> channel_outstanding_{false};
  std::atomic<unsigned> meters_outstanding_{0};
  std::atomic<bool> basic_read_pending_{false};

  // Rule confirmation: the header and the items (bit p-1 for item p) of the
  // expected channel.
  std::atomic<bool> rule_pending_{false};
  std::atomic<bool> header_outstanding_{false};
  std::atomic<unsigned> items_outstanding_{0};
  std::atomic<int> expected_channel_{0};

  std::atomic<int> rule_read_state_{0};
  std::atomic<int> items_to_read_{0};
  std::atomic<int> channel_being_read_{0};
  std::atomic<bool> rule_read_pending_{false};
  bool rule_read_failed_ = false;
  // Items of the channel being read that answered (bit p-1 for item p).
  std::atomic<unsigned> items_answered_{0};

  // Configure channels whose rule fields were changed by name since the last
  // Read (varnokctl writes only those).
  unsigned rules_changed_ = 0;
  std::vector<int> rules_to_set_;  // the rest of a multi-channel Set

  std::unique_ptr<DtuDlt645RuleReader> reader_;
  // Last member: Instance() and the answer handlers reach the page until it starts going.
  DtuPageReference<DtuDLT645> reference_{this};
};
