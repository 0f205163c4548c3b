// The Modbus page: the polling parameters (which slaves the device polls,
// keys modbus-switch, modbus-channel, modbus-slave-cfg) and the forwarding
// rule of each polling channel (modbus-slave-rule). Both groups have their
// own Read and Set; Save to Local and Read Local cover [MODBUS] and [DECODE].
// Reads are paced command sequences; Sets are actions of tagged lines (the
// whole page: the polling lines, then the rule of each channel once the one
// before held). They, the answers and everything else run on the page's
// thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pages/kit/dtu_cmd_sequence.h"
#include "pages/modbus/dtu_modbus_payload.h"
#include "pages/kit/dtu_field_rows.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/modbus/dtu_modbus_switches.h"

struct DtuModbusChannelRow {
  std::string slave, function, address, count, cycle;
};

struct DtuModbusParamRow {
  std::string tag, address, multiplier;
  int data_type = 0;
  int byte_order = 0;
  int convert = 0;
};

struct DtuModbusRule {
  int rule = 0;         // 0 Transparent, 1 Parse
  int param_count = 1;  // 1..6; 0 when no count is selected
  DtuModbusParamRow params[kModbusRuleParams];
};

struct DtuModbusModel {
  int func_switch = 0;    // 0 OFF, 1 ON
  int packet_split = 0;   // 0 OFF, 1 ON
  int channel_count = 1;  // 1..6
  DtuModbusChannelRow channels[kModbusChannelCount];
  int config_channel = 1;  // 1..6: the channel whose rule the lower group shows
  DtuModbusRule rules[kModbusChannelCount];
};

class DtuModbus : public DtuMadeFieldsPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  static constexpr char kPollingSection[] = "MODBUS";  // the polling lines and channels
  static constexpr char kRuleSection[] = "DECODE";     // every channel's rule
  std::vector<std::string> FileSections() const override { return {kPollingSection, kRuleSection}; }
  static constexpr int kDataTypes = 7;
  static constexpr int kByteOrders = 4;
  static constexpr int kConverts = 3;

  explicit DtuModbus(QObject *parent = nullptr);
  ~DtuModbus() override;
  // The object through which this page and the Modbus cache page know each
  // other's switch; a page alone asks the device for the cache switch.
  void UseSwitches(std::shared_ptr<DtuModbusSwitches> switches);

  const DtuModbusModel &Model() const { return model_; }
  // The rule of the config channel.
  const DtuModbusRule &ConfigRule() const { return model_.rules[model_.config_channel - 1]; }

  // List items in the current language.
  static std::vector<std::string> SwitchItems();
  static std::vector<std::string> RuleItems();
  static std::vector<std::string> DataTypeItems();
  static std::vector<std::string> ByteOrderItems();
  static std::vector<std::string> ConvertItems();

  // The polling is on: the switch-on indicator, or ON chosen in the list.
  bool PollingOn() const { return switch_on_ == 1 || model_.func_switch == 1; }
  // The user chose a function switch: ON is refused while the cache proxy
  // is on (message shown, the switch goes back to OFF). False when refused.
  bool ChooseFunctionSwitch(int on);
  // A field of a channel's rule changed by name makes that rule the user's:
  // Save to Local keeps it.
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;

  // Polling group.
  bool OnBnClickedBtModbusGet();
  bool OnBnClickedBtModbusSet();
  // Forwarding rule group (config channel).
  bool OnBnClickedBtModbusRuleGet();
  bool OnBnClickedBtModbusRuleSet();
  bool OnBnClickedBtSaveLocal();
  bool OnBnClickedBtReadLocal();

  // Answer handlers.
  void ModbusStatusSet(const char *value, int length);
  void ModbusChannelSet(const char *value, int length);
  void ModbusSlaveCfgSet(const char *value, int length);
  void modbusDecodeRule(const char *value, int length);

  // Register window of a channel (1..6) that the rule Set checks against.
  int WindowStart(int channel) const { return window_start_[channel - 1]; }
  int WindowLength(int channel) const { return window_length_[channel - 1]; }

  const char *PageName() const override { return "modbus"; }
  // Read: the polling parameters and the rule of every channel the device
  // counts, whatever its polling switch. Set: the polling parameters with
  // every counted channel, then the rule of each channel in turn, each after
  // the device took the one before.
  bool Read() override;
  bool Set() override;
  bool ReadPending() const override;
  bool SetPending() const override;
  bool Busy() const override { return ReadPending() || SetPending(); }
  // The last Read, or the question a Set asked first, ended without every
  // answer it asked for (named to the user).
  bool Failed() const override { return read_failed_; }
  std::optional<DtuCmdOutcome> FailedOutcome() const override {
    return device_error_ ? std::optional<DtuCmdOutcome>(DtuCmdOutcome::kDeviceError) : std::nullopt;
  }
  // The last Set found the cache proxy on and wrote nothing.
  bool Refused() const override { return refused_; }

 private:
  void BuildFields();
  // Nothing when no cache page shares the switches: the device must be asked.
  std::optional<bool> CacheSwitchOn() const;
  bool ValidatePollingChannel(int k, DtuModbusSlaveCfg &cfg);
  // The polling Set (`whole`: of the whole page, its channels whatever the
  // switch, the rules after). Asks the device for the cache switch first
  // when nobody else can tell it.
  bool StartSet(bool whole);
  bool QueuePollingSet(bool whole);
  void AskCacheSwitch(bool whole);
  void OnCacheSwitchAnswer(const QByteArray &answer, bool whole);
  // One step of a read and what it asks for.
  struct ReadStep {
    enum Kind { kSwitch, kCount, kChannel, kRuleHeader, kRuleParam } kind;
    int channel;
    DtuCmdStep step;
    int param = 0;  // kRuleParam
  };
  // `settle`: the polling Read's second before the next query.
  static ReadStep SwitchQuery(bool settle);
  static ReadStep CountQuery();
  static ReadStep ChannelQuery(int channel);
  static ReadStep RuleHeaderQuery(int channel);
  static ReadStep RuleParamQuery(int channel, int param);
  // A new read replaces the running one; `whole` reads the rules of the
  // counted channels too, whatever the switch.
  void StartRead(std::vector<ReadStep> steps, bool whole);
  // Queries that depend on the answer just heard: they come next.
  void InsertReadSteps(std::vector<ReadStep> steps);
  void OnReadStepSent(int step);
  void OnReadStepAnswered(int step, const QByteArray &answer);
  void OnReadFailed(int step, DtuSequenceFailure reason, const QByteArray &answer);
  // Tells the user how the query for `field` failed; marks the page failed.
  void ReportQueryFailed(const std::string &field, int step, DtuSequenceFailure reason, const QByteArray &answer);
  // The page's field that a read step fills ("funcSwitch", "slave2", "rule3", "tag31").
  std::string ReadStepField(int step) const;
  void SetWindow(int channel, long long start, long long length);
  void OnStatus(const char *value);
  void OnChannel(const char *value);
  void OnSlaveCfg(const char *value);
  void OnRule(const char *value);
  void DecodeRuleAndParamsCnt(const std::string &value);
  void DecodeChannelParams(const std::string &value);
  // The set lines of one channel's rule; false after a message naming what
  // is wrong. `notes`: what is sent other than typed (a tag cut to 31).
  bool RuleLines(int channel, DtuSetLines &lines, std::vector<std::string> &notes);
  bool ValidateRuleParam(int channel, int p, DtuModbusRuleParam &param, std::vector<std::string> &notes);
  // Queues the rule of a channel as one action; false when its checks failed.
  bool QueueRuleSet(int channel);
  void ContinueChainedSet();
  bool SavePollingLocal();
  bool SaveRuleLocal();
  bool RuleSaved(int channel) const;
  void TellTagsCut() const;
  bool ReadPollingLocal();
  bool ReadRuleLocal();
  static int RuleChannelOf(int answered, int fallback);

  DtuModbusModel model_;
  int window_start_[kModbusChannelCount] = {};
  int window_length_[kModbusChannelCount] = {};

  // Rules that are the device's (read), the file's (Read Local) or the
  // user's (changed): Save to Local writes these and the config channel's.
  bool rule_held_[kModbusChannelCount] = {};
  std::shared_ptr<DtuModbusSwitches> switches_;

  // Read state (page thread only).
  int switch_on_ = 0;
  bool switch_read_ = false;    // the last switch answer was a switch value
  int slave_cfg_channel_ = 0;   // channel of the last slave answer that parsed
  bool read_failed_ = false;
  bool device_error_ = false;   // ... because the device refused a query
  bool refused_ = false;
  int received_count_ = 1;
  int rule_state_ = 0;  // 0 header awaited, 1 parameters, -1 nothing to read
  int rule_param_total_ = 0;
  int rule_channel_ = 1;  // channel of the rule being read
  int rule_param_read_ = 0;  // channel * 10 + parameter of the last parameter answer that was taken
  DtuCmdSequence *read_;  // a child: it stops when the page goes
  std::vector<ReadStep> read_plan_;  // the running read's steps, as the sequence has them
  bool read_whole_ = false;  // the whole page: rules too, whatever the switch

  // A whole-page Set: the rule channels still to write after the polling.
  int chained_rule_channel_ = 0;
  int chained_last_channel_ = 0;
  // A Set that first asks the device for the cache switch.
  DtuCmdSequence *ask_;
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuModbus> reference_{this};
};

// An OFF/ON switch of the Modbus pages, as both declare theirs.
DtuFieldDef DtuModbusSwitchDef(const char *name, DtuTextId label);
