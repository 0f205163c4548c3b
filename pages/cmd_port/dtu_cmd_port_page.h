// The command port page's logic: the six line settings, the port list, open
// and close, the raw send and the receive feed. It owns the command port (and
// with it the serial driver) for the whole program. QtCore only: the widgets
// live in app/views/cmd_port/cmd_port_view.h.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QFileSystemWatcher>
#include <QTimer>

#include <string>
#include <vector>

#include "link/dtu_cmd_port.h"
#include "pages/kit/dtu_main_thread_dispatcher.h"
#include "pages/kit/dtu_page_answers.h"

class DtuCmdPortPage : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultBaudIndex = 5;      // 115200
  static constexpr int kDefaultDataBitsIndex = 3;  // 8
  static constexpr int kDefaultFlowIndex = 2;      // None
  static constexpr int kPortNameMax = 255;
  static constexpr int kPortPollMs = 2000;
  static constexpr int kFolderSettleMs = 150;

  explicit DtuCmdPortPage(QObject *parent = nullptr);
  ~DtuCmdPortPage() override;

  // The entries of the six lists, in list order.
  static QStringList BaudRateItems();
  static QStringList DataBitsItems();
  static QStringList StopBitsItems();
  static QStringList ParityItems();
  static QStringList FlowItems();

  // The port list: what DtuListSerialPorts found, plus the ports given by
  // name (a pseudo-terminal path typed by the user or passed at start-up)
  // while they exist. Each entry as the list shows it.
  QStringList PortListTexts() const;
  // Rebuilds the port list; emits PortListChanged when it differs.
  void UpdateSerailPortList();
  // Keeps a port named by path in the list while it exists.
  void AddKnownPort(const QString &path);
  // True for a port that was in the list and went away (unplugged, its
  // simulator ended); false again once it is back.
  bool PortGone(const QString &path) const;

  // The port setting: a list text or a typed path (at most 255 characters).
  void SetPortName(const QString &text);
  QString PortName() const { return port_name_; }

  // List handlers: an index outside the list sets the default and logs it.
  void OnCbnSelchangeDtuCmdBaudrete(int index);
  void OnCbnSelchangeDtuCmdDatabits(int index);
  void OnCbnSelchangeDtuCmdStopbits(int index);
  void OnCbnSelchangeDtuCmdParity(int index);
  // The flow list changes nothing: the driver always gets "none".
  void OnCbnSelchangeDtuCmdFlow(int index);

  int BaudIndex() const { return baud_index_; }
  int DataBitsIndex() const { return databits_index_; }
  int StopBitsIndex() const { return stopbits_index_; }
  int ParityIndex() const { return parity_index_; }
  int FlowIndex() const { return flow_index_; }
  DtuSerialSettings Settings() const;

  // Open when closed, close when open. False when an open failed (the
  // driver's error text was shown).
  bool OnBnClickedOpenClose();
  bool IsOpen() const;

  // Writes text + "\r\n" straight to the port; with the port closed shows
  // "Config serial port is not open" and writes nothing.
  bool OnBnClickedSendCommand(const QString &text);

  DtuCmdPort &Port() { return port_; }

 signals:
  void PortListChanged();
  void OpenStateChanged(bool open);
  // Text the dispatcher passed on for the receive window (answer + "\r\n").
  void ReceiveAppended(const QString &text);
  // A queued command (a page's get or set line) as the sender wrote it,
  // without its line end.
  void CommandWritten(const QString &line);

 private:
  void DtuCmdPortOpen();
  void ClosePort();
  void OnPortLost(const std::string &text);
  QString PortPathForText(const QString &text) const;
  QStringList ListedPaths() const;
  // The folders whose entries come and go with the ports: /dev,
  // /dev/serial/by-id and those of the ports given by path.
  void WatchPortFolders();

  DtuMainThreadDispatcher dispatcher_;  // declared first: outlives the port's reader
  DtuCmdPort port_;
  QTimer poll_timer_;  // a slow fallback where the folders cannot be watched
  QFileSystemWatcher folder_watch_;
  QTimer folder_settle_;  // one update for a burst of folder changes
  QStringList gone_;
  std::vector<DtuPortInfo> ports_;
  QStringList known_ports_;
  QString port_name_;
  int baud_index_ = kDefaultBaudIndex;
  int databits_index_ = kDefaultDataBitsIndex;
  int stopbits_index_ = 0;
  int parity_index_ = 0;
  int flow_index_ = kDefaultFlowIndex;
  int baud_ = 115200;
  int databits_ = 8;
  // Last member: the virtual serial page finds the window's port through it.
  DtuPageReference<DtuCmdPortPage> reference_{this};
};
