// The command port page's widgets: the six lists and the open/close button on
// the left, the receive window above the send window and its three buttons on
// the right. The logic lives in pages/dtu_cmd_port_page.h.
#pragma once

#include <QString>
#include <QWidget>

class DtuCmdPortPage;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class ReceiveLogView;

class CmdPortView : public QWidget {
  Q_OBJECT

 public:
  // The receive window keeps the newest this many lines.
  static constexpr int kReceiveMaxLines = 20000;

  explicit CmdPortView(DtuCmdPortPage *page, QWidget *parent = nullptr);

  void UpdateLanguage();

  // Selects a port in the list (or types it when the list lacks it).
  void SelectPort(const QString &path);

  // Appends text to the receive window.
  void AppendReceived(const QString &text);
  QString ReceivedText() const;
  int ReceivedLineCount() const;

  QComboBox *PortList() const { return port_list_; }
  QPushButton *OpenCloseButton() const { return open_close_; }
  QPlainTextEdit *SendWindow() const { return send_window_; }
  QPushButton *SendButton() const { return send_button_; }
  QPushButton *ClearSendButton() const { return clear_send_; }
  QPushButton *ClearReceiveButton() const { return clear_receive_; }
  ReceiveLogView *ReceiveWindow() const { return receive_window_; }

 private:
  QWidget *BuildSettingsBox();
  QWidget *BuildWindowsColumn();
  QComboBox *AddList(const QStringList &items, int selected);
  void RefillPortList();

  DtuCmdPortPage *page_;
  QGroupBox *settings_box_ = nullptr;
  QComboBox *port_list_ = nullptr;
  QPushButton *open_close_ = nullptr;
  QGroupBox *receive_box_ = nullptr;
  ReceiveLogView *receive_window_ = nullptr;
  QGroupBox *send_box_ = nullptr;
  QPlainTextEdit *send_window_ = nullptr;
  QPushButton *send_button_ = nullptr;
  QPushButton *clear_send_ = nullptr;
  QPushButton *clear_receive_ = nullptr;
};
