// The Modbus cache proxy page: up to six read requests the device polls on
// its own. Read and Set are paced sequences of steps on the page's command
// sequence: each sends one command and waits (8000 ms, the page's timer
// 15001) for the answer or the bare OK that lets it go on; a missing,
// malformed or different answer ends the sequence with a message naming the
// step. The sequence and the receive path run on the page's thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/kit/dtu_cmd_sequence.h"
#include "pages/modbus/dtu_modbus_cache_payload.h"
#include "pages/kit/dtu_field_rows.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/modbus/dtu_modbus_switches.h"

struct DtuModbusCacheRow {
  std::string slave, start, quantity, cycle;
  int function = 3;  // function code 1..4
};

struct DtuModbusCacheModel {
  int func_switch = 0;    // 0 OFF, 1 ON
  int channel_count = 1;  // 1..6
  DtuModbusCacheRow rows[kModbusCacheChannels];
};

class DtuModbusCache : public DtuMadeFieldsPage, public DtuStoredPage {
  Q_OBJECT

 public:
  // The sections of the configuration file this page keeps its settings in.
  static constexpr char kSection[] = "MODBUS_CACHE";
  std::vector<std::string> FileSections() const override { return {kSection}; }
  static constexpr int kStepTimeoutMs = 8000;  // timer 15001

  explicit DtuModbusCache(QObject *parent = nullptr);
  ~DtuModbusCache() override;
  // The object through which this page and the Modbus polling page know
  // each other's switch; a page alone asks the device for the polling
  // switch before it reads or writes the proxy ON.
  void UseSwitches(std::shared_ptr<DtuModbusSwitches> switches);

  const DtuModbusCacheModel &Model() const { return model_; }
  // The last known switch of the proxy (1 = ON): the polling page refuses to
  // switch on while it is set.
  int StoredSwitch() const { return stored_switch_; }
  // Function code items "01" ... "04".
  static std::vector<std::string> FunctionItems();

  // The user chose a function switch: ON is refused while the Modbus polling
  // is on (message shown, back to OFF). False when refused.
  bool ChooseFunctionSwitch(int on);

  bool OnBnClickedBtRead();
  bool OnBnClickedBtSet();
  bool OnBnClickedBtSaveLocal();
  bool OnBnClickedBtReadLocal();

  // Answer handlers. Bare OKs and error lines reach the sequence itself.
  void ModbusCacheSwitchSet(const char *value, int length);
  void ModbusCacheChannelSet(const char *value, int length);
  void ModbusCacheSlaveCfgSet(const char *value, int length);

  // Shortens the step time-out of the next Read or Set (tests).
  void SetStepTimeoutMs(int ms) { step_timeout_ms_ = ms; }

  const char *PageName() const override { return "modbuscache"; }
  // The stored switch follows the user's choice.
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;
  bool Read() override { return OnBnClickedBtRead(); }
  bool Set() override { return OnBnClickedBtSet(); }
  bool ReadPending() const override { return operation_ == kReading; }
  bool SetPending() const override { return operation_ == kSetting; }
  bool Busy() const override { return operation_ != kIdle; }
  bool Failed() const override { return failed_; }
  std::optional<DtuCmdOutcome> FailedOutcome() const override {
    return device_error_ ? std::optional<DtuCmdOutcome>(DtuCmdOutcome::kDeviceError) : std::nullopt;
  }
  // The device's polling is on: the proxy was neither written nor shown ON.
  bool Refused() const override { return refused_; }

 signals:
  // Validation failed at this field: the view puts the focus there.
  void FocusRequested(int channel, int field);

 private:
  enum Operation { kIdle = 0, kReading = 1, kSetting = 2 };
  void BuildFields();
  bool PollingOn() const;
  bool Validate();
  bool ValidateRow(int k);
  bool RowValue(int k, DtuModbusCacheField field, long long &value);
  DtuModbusCacheChannel RowChannel(int k) const;
  // Runs the steps of the operation set in operation_ (which shapes them);
  // `polling_step`: the step that asks the device for the polling switch, or -1.
  void Start(std::vector<DtuCmdStep> steps, int polling_step);
  DtuCmdStep Step(std::string line, const char *key) const;
  DtuCmdStep PollingQuery() const;
  // The step in the page's own numbering (the Set's and Read's tables), with
  // the polling query left out; -1 for the polling query itself.
  int Logical(int step) const;
  void OnPollingAnswer(const QByteArray &answer);
  void RefuseForPolling(bool answered_on);
  std::vector<DtuCmdStep> ReadChannelSteps() const;
  std::vector<DtuCmdStep> SetSteps() const;
  int CurrentStep() const { return Logical(sequence_->CurrentStep()); }
  std::string StepLabel(int step) const;
  // The answer just handled lets the waiting step go on (once the sequence
  // hears it, after the handlers ran).
  void Accept() { accepted_ = true; }
  void Fail() { sequence_->Fail(); }
  void Finish();
  void OnFailed(int step, DtuSequenceFailure reason, const QByteArray &text);
  void OnSwitch(const char *value);
  void OnChannelCount(const char *value);
  void OnSlaveCfg(const char *value);
  void ApplyChannel(const DtuModbusCacheChannel &channel);

  DtuModbusCacheModel model_;
  int stored_switch_ = 0;
  std::shared_ptr<DtuModbusSwitches> switches_;

  // Sequence state (page thread only).
  Operation operation_ = kIdle;
  int target_switch_ = 0;
  int count_ = 1;
  bool accepted_ = false;
  bool failed_ = false;
  bool device_error_ = false;
  bool refused_ = false;
  int polling_step_ = -1;
  int step_timeout_ms_ = kStepTimeoutMs;
  DtuCmdSequence *sequence_;  // a child: it stops when the page goes
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<DtuModbusCache> reference_{this};
};
