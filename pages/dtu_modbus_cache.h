// The Modbus cache proxy page: up to six read requests the device polls on
// its own. Read and Set are paced sequences of steps: each sends one command
// and waits (timer 15001, 8000 ms) for the answer or the bare OK that lets it
// go on; a missing, malformed or different answer ends the sequence with a
// message naming the step. The sequence, its timer and the receive path all
// run on the page's thread.
#pragma once

#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "pages/dtu_modbus_cache_payload.h"
#include "pages/dtu_named_fields.h"
#include "pages/dtu_page.h"
#include "pages/dtu_page_answers.h"

struct DtuModbusCacheRow {
  std::string slave, start, quantity, cycle;
  int function = 3;  // function code 1..4
};

struct DtuModbusCacheModel {
  int func_switch = 0;    // 0 OFF, 1 ON
  int channel_count = 1;  // 1..6
  DtuModbusCacheRow rows[kModbusCacheChannels];
};

class DtuModbusCache : public DtuPage {
  Q_OBJECT

 public:
  static constexpr int kTimerId = 15001;
  static constexpr int kStepTimeoutMs = 8000;

  explicit DtuModbusCache(QObject *parent = nullptr);
  ~DtuModbusCache() override;
  static DtuModbusCache *Instance();

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

  // Answer handlers and the receive path's two further entries.
  void ModbusCacheSwitchSet(const char *value, int length);
  void ModbusCacheChannelSet(const char *value, int length);
  void ModbusCacheSlaveCfgSet(const char *value, int length);
  void ModbusCacheAcknowledge();
  void ModbusCacheDeviceError(const char *text);

  // Shortens the step time-out (tests).
  void SetStepTimeoutMs(int ms) { timer_.setInterval(ms); }

  const char *PageName() const override { return "modbuscache"; }
  std::vector<DtuPageFieldInfo> Fields() const override;
  bool GetField(const std::string &name, std::string &value) const override;
  bool SetField(const std::string &name, const std::string &value, std::string &error) override;
  bool Read() override { return OnBnClickedBtRead(); }
  bool Set() override { return OnBnClickedBtSet(); }
  bool ReadPending() const override { return operation_ == kReading; }
  bool SetPending() const override { return operation_ == kSetting; }
  bool Busy() const override { return operation_ != kIdle; }
  bool Failed() const override { return failed_; }

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
  void Start(Operation operation);
  void SendStep();
  std::string StepLabel() const;
  void Advance();
  // Advances on an answer line; a separate OK for the same command follows.
  void AdvanceOnLine();
  void Fail(int text_id);
  void Finish();
  void OnSwitch(const char *value);
  void OnChannelCount(const char *value);
  void OnSlaveCfg(const char *value);
  void OnAcknowledge();
  void OnDeviceError();
  void ApplyChannel(const DtuModbusCacheChannel &channel);

  DtuModbusCacheModel model_;
  DtuNamedFields fields_;
  int stored_switch_ = 0;

  // Sequence state (page thread only).
  Operation operation_ = kIdle;
  int step_ = 0;
  int target_switch_ = 0;
  int count_ = 1;
  // The step advanced on its answer line: an OK the device sends apart from
  // that line belongs to the same command and must not advance again.
  bool line_answered_ = false;
  bool failed_ = false;
  QTimer timer_;
  // The receive path's bare OK and error lines.
  std::unique_ptr<class DtuCmdAnswerSubscription> answers_;
  // Last member: Instance() and the answer handlers reach the page until it starts going.
  DtuPageReference<DtuModbusCache> reference_{this};
};
