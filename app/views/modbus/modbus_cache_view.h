// The Modbus cache page's widgets: the proxy's switch and channel count, six
// channel rows (rows beyond the count hidden, disabled and emptied), and the
// four page buttons. A failed check puts the focus on the failing field.
#pragma once

#include <QWidget>

#include "app/views/kit/page_button_row.h"
#include "pages/modbus/dtu_modbus_cache_payload.h"

class DtuModbusCache;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

class ModbusCacheView : public QWidget {
  Q_OBJECT

 public:
  explicit ModbusCacheView(DtuModbusCache *page, QWidget *parent = nullptr);
  void UpdateLanguage();

 private:
  struct Row {
    QLabel *label;
    QLineEdit *edits[4];  // slave, start, quantity, cycle: the page's field order
    QComboBox *function;
  };
  QGroupBox *BuildProxyGroup();
  QGroupBox *BuildChannelGroup();
  void ConnectFields();
  void ChooseCount(int count);
  void Refresh();
  void ApplyVisibility();
  void Focus(int channel, int field);

  DtuModbusCache *page_;
  QGroupBox *proxy_group_;
  QGroupBox *channel_group_;
  QLabel *switch_label_;
  QLabel *count_label_;
  QLabel *tip_;
  QLabel *note_;
  QComboBox *func_switch_;
  QComboBox *channel_count_;
  QLabel *headings_[6];
  Row rows_[kModbusCacheChannels];
  PageButtonRow buttons_;
};
