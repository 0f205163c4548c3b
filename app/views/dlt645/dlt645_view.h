// The DL/T 645 meter page's widgets: the basic parameters (switch, channel
// count, six meter channel rows) and the forwarding rule of the chosen
// configure channel (rule, parameter count, eight parameter rows), each
// group with its own Config and Read; Save to Local and Read Local below.
// Rows show as the switch, the counts and the rule say.
#pragma once

#include <QWidget>

#include <vector>

class DtuDLT645;
class PageFieldBinder;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class Dlt645View : public QWidget {
  Q_OBJECT

 public:
  explicit Dlt645View(DtuDLT645 *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  QWidget *BuildBasicGroup();
  QWidget *BuildRuleGroup();
  void ApplyVisibility();

  DtuDLT645 *page_;
  PageFieldBinder *binder_;
  QLabel *top_tip_;
  QLabel *bottom_tip_;
  QGroupBox *basic_group_;
  QGroupBox *rule_group_;
  QLabel *switch_label_;
  QLabel *count_label_;
  QComboBox *switch_box_;
  std::vector<QLabel *> meter_headings_;
  std::vector<std::vector<QWidget *>> meter_rows_;  // label, then the five fields
  QLabel *config_channel_label_;
  QLabel *rule_label_;
  QLabel *param_count_label_;
  QComboBox *rule_box_;
  QComboBox *param_count_box_;
  std::vector<QLabel *> param_headings_;
  std::vector<std::vector<QWidget *>> param_rows_;  // label, then the six fields
  std::vector<QComboBox *> data_type_boxes_;
  std::vector<QComboBox *> data_rule_boxes_;
  QPushButton *basic_set_;
  QPushButton *basic_read_;
  QPushButton *rule_set_;
  QPushButton *rule_read_;
  QPushButton *save_local_;
  QPushButton *read_local_;
};
