// The command port page's widgets: the six lists and the open/close button on
// the left, the receive window above the send window and its three buttons on
// the right. The logic lives in pages/cmd_port/dtu_cmd_port_page.h.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "app/views/cmd_port/terminal_format.h"

class CommandInputEdit;
class DtuCmdPortPage;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QPushButton;
class ReceiveLogView;

class CmdPortView : public QWidget {
  Q_OBJECT

 public:
  // The receive window keeps the newest this many lines.
  static constexpr int kReceiveMaxLines = 20000;
  // A typed line that hears nothing for this long is noted as unanswered.
  static constexpr int kTypedAnswerWaitMs = 3000;

  explicit CmdPortView(DtuCmdPortPage *page, QWidget *parent = nullptr);

  void UpdateLanguage();

  // Selects a port in the list (or types it when the list lacks it).
  void SelectPort(const QString &path);

  // Appends received text to the receive window, formatted as the options say.
  void AppendReceived(const QString &text);
  // Sends every line of the send field as its own command and echoes each
  // one; Enter does this and empties the field, the Send button keeps it.
  void SendCommands(bool clear_field);
  // Writes the receive window to a file; a failure is shown, naming the file.
  bool SaveLogTo(const QString &path);
  QString ReceivedText() const;
  int ReceivedLineCount() const;

  QComboBox *PortList() const { return port_list_; }
  QPushButton *OpenCloseButton() const { return open_close_; }
  CommandInputEdit *SendWindow() const { return send_window_; }
  QCheckBox *TimeStampsOption() const { return time_stamps_; }
  QCheckBox *HexOption() const { return hex_; }
  // The line settings: baud rate, data bits, stop bits, parity, flow.
  const QList<QComboBox *> &LineSettingLists() const { return line_settings_; }
  QPushButton *SendButton() const { return send_button_; }
  QPushButton *ClearSendButton() const { return clear_send_; }
  QPushButton *ClearReceiveButton() const { return clear_receive_; }
  QLabel *PortState() const { return port_state_; }
  ReceiveLogView *ReceiveWindow() const { return receive_window_; }

 private:
  QWidget *BuildSettingsBox();
  QWidget *BuildWindowsColumn();
  QComboBox *AddList(const QStringList &items, int selected);
  QLayout *BuildReceiveOptions();
  void RefillPortList();
  void RelabelList(QComboBox *list, const QStringList &items);
  // Names the chosen port when it is no longer there.
  void ShowPortState();
  void OnOpenStateChanged(bool open);
  void EchoSent(const QString &command);
  void NoteUnanswered();
  void OnBnClickedSaveLog();
  TerminalOptions Options() const;

  DtuCmdPortPage *page_;
  QGroupBox *settings_box_ = nullptr;
  QComboBox *port_list_ = nullptr;
  QPushButton *open_close_ = nullptr;
  QGroupBox *receive_box_ = nullptr;
  ReceiveLogView *receive_window_ = nullptr;
  QGroupBox *send_box_ = nullptr;
  CommandInputEdit *send_window_ = nullptr;
  QCheckBox *time_stamps_ = nullptr;
  QCheckBox *hex_ = nullptr;
  QPushButton *save_log_ = nullptr;
  QList<QComboBox *> line_settings_;
  QList<QLabel *> setting_labels_;
  QLabel *port_state_ = nullptr;
  QPushButton *send_button_ = nullptr;
  QPushButton *clear_send_ = nullptr;
  QPushButton *clear_receive_ = nullptr;
  QStringList unanswered_;  // typed lines no text has come back for yet
  QTimer no_answer_;
};
