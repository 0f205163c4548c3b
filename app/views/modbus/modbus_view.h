// The Modbus page's widgets: the polling group (switches, channel count, six
// channel rows) and the forwarding rule group (config channel, rule,
// parameter count, six parameter rows), each with its own Set and Read, and
// Save to Local / Read Local below. Rows show by switch, rule and counts.
#pragma once

#include <QWidget>

#include "pages/modbus/dtu_modbus_payload.h"

class DtuModbus;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class ModbusView : public QWidget {
  Q_OBJECT

 public:
  explicit ModbusView(DtuModbus *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  struct ChannelRow {
    QLabel *label;
    QLineEdit *edits[5];  // slave, function, register address, register count, cycle
  };
  struct ParamRow {
    QLabel *label;
    QLineEdit *tag;
    QLineEdit *address;
    QComboBox *data_type;
    QComboBox *byte_order;
    QComboBox *convert;
    QLineEdit *multiplier;
  };
  QGroupBox *BuildPollingGroup();
  QGroupBox *BuildRuleGroup();
  void ConnectPolling();
  void ConnectRule();
  void Refresh();
  void ApplyVisibility();
  std::string ParamField(const char *name, int p) const;

  DtuModbus *page_;
  QGroupBox *polling_group_;
  QLabel *polling_tip_;
  QLabel *switch_label_;
  QLabel *split_label_;
  QLabel *count_label_;
  QComboBox *func_switch_;
  QComboBox *packet_split_;
  QComboBox *channel_count_;
  QLabel *channel_headings_[5];
  ChannelRow channels_[kModbusChannelCount];
  QLabel *unit_note_;
  QPushButton *polling_set_;
  QPushButton *polling_read_;

  QGroupBox *rule_group_;
  QLabel *rule_tip_;
  QLabel *config_channel_label_;
  QLabel *rule_label_;
  QLabel *param_count_label_;
  QComboBox *config_channel_;
  QComboBox *rule_;
  QComboBox *param_count_;
  QLabel *param_headings_[6];
  ParamRow params_[kModbusRuleParams];
  QPushButton *rule_set_;
  QPushButton *rule_read_;

  QPushButton *save_local_;
  QPushButton *read_local_;
};
