#include "pages/cmd_port/dtu_cmd_port_page.h"

#include <QFileInfo>
#include <QMetaObject>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

QString DisplayText(const DtuPortInfo &info) {
  QString path = QString::fromStdString(info.path);
  QString description = QString::fromStdString(info.description);
  if (description.isEmpty() || description == path) {
    return path;
  }
  return path + "  (" + description + ")";
}

}  // namespace

DtuCmdPortPage::DtuCmdPortPage(QObject *parent) : QObject(parent) {
  // The link hands every chunk over on its reader thread; the dispatch, the
  // answer handlers and the receive window all run on the GUI thread, one
  // chunk after the other in arrival order.
  port_.SetChunkDispatcher(dispatcher_.Dispatcher());
  port_.SetOutcomeDispatcher(dispatcher_.OutcomeDispatcher());
  port_.SetPortLostHandler([this](const std::string &text) {
    QMetaObject::invokeMethod(this, [this, text] { OnPortLost(text); }, Qt::QueuedConnection);
  });
  DtuCmdSetReceiveSink([this](const std::string &text) { emit ReceiveAppended(QString::fromStdString(text)); });
  port_.SetWrittenTap([this](const std::string &line) {
    QString text = QString::fromStdString(line);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    QMetaObject::invokeMethod(this, [this, text] { emit CommandWritten(text); }, Qt::QueuedConnection);
  });

  poll_timer_.setInterval(kPortPollMs);
  connect(&poll_timer_, &QTimer::timeout, this, &DtuCmdPortPage::UpdateSerailPortList);
  poll_timer_.start();
  // A device plugged in or out changes /dev (and /dev/serial/by-id) at once;
  // udev may still be making its links, so the list follows a moment later.
  folder_settle_.setSingleShot(true);
  folder_settle_.setInterval(kFolderSettleMs);
  connect(&folder_settle_, &QTimer::timeout, this, &DtuCmdPortPage::UpdateSerailPortList);
  connect(&folder_watch_, &QFileSystemWatcher::directoryChanged, &folder_settle_, qOverload<>(&QTimer::start));
  UpdateSerailPortList();
}

DtuCmdPortPage::~DtuCmdPortPage() {
  DtuCmdSetReceiveSink(nullptr);
  port_.SetWrittenTap(nullptr);
  DtuMainThreadDispatcher::DetachFrom(port_);
  port_.SetPortLostHandler(nullptr);
  if (port_.IsOpen()) {
    port_.Close();
  }
}

QStringList DtuCmdPortPage::BaudRateItems() {
  return {"1200", "2400", "4800", "9600", "38400", "115200", "128000", "230400", "256000", "460800", "921600"};
}
QStringList DtuCmdPortPage::DataBitsItems() { return {"5", "6", "7", "8"}; }
QStringList DtuCmdPortPage::StopBitsItems() { return {"1", "1.5", "2"}; }
QStringList DtuCmdPortPage::ParityItems() { return {"None", "Odd", "Even", "Mark", "Space"}; }
QStringList DtuCmdPortPage::FlowItems() { return {"Hardware", "Software", "None", "Custom"}; }

QStringList DtuCmdPortPage::PortListTexts() const {
  QStringList texts;
  for (const DtuPortInfo &info : ports_) {
    texts << DisplayText(info);
  }
  QStringList listed;
  for (const DtuPortInfo &info : ports_) listed << QString::fromStdString(info.path);
  for (const QString &path : known_ports_) {
    if (!texts.contains(path) && !listed.contains(path)) {
      texts << path;
    }
  }
  return texts;
}

QStringList DtuCmdPortPage::ListedPaths() const {
  QStringList paths = known_ports_;
  for (const DtuPortInfo &info : ports_) paths << QString::fromStdString(info.path);
  return paths;
}

bool DtuCmdPortPage::PortGone(const QString &path) const { return gone_.contains(PortPathForText(path)); }

void DtuCmdPortPage::WatchPortFolders() {
  QStringList folders = {QStringLiteral("/dev"), QStringLiteral("/dev/serial"), QStringLiteral("/dev/serial/by-id")};
  for (const QString &path : known_ports_) folders << QFileInfo(path).absolutePath();
  folders.removeDuplicates();
  QStringList missing;
  for (const QString &folder : folders) {
    if (!folder_watch_.directories().contains(folder) && QFileInfo(folder).isDir()) missing << folder;
  }
  if (!missing.isEmpty()) folder_watch_.addPaths(missing);
}

void DtuCmdPortPage::UpdateSerailPortList() {
  QStringList before = PortListTexts();
  const QStringList paths_before = ListedPaths();
  ports_ = DtuListSerialPorts();
  QStringList still_there;
  for (const QString &path : known_ports_) {
    if (QFileInfo::exists(path)) {
      still_there << path;
    }
  }
  known_ports_ = still_there;
  const QStringList paths_after = ListedPaths();
  for (const QString &path : paths_before) {
    if (!paths_after.contains(path) && !gone_.contains(path)) gone_ << path;
  }
  for (const QString &path : paths_after) gone_.removeAll(path);
  // A port given by path that comes back is listed again.
  for (const QString &path : QStringList(gone_)) {
    if (QFileInfo::exists(path) && !known_ports_.contains(path)) {
      known_ports_ << path;
      gone_.removeAll(path);
    }
  }
  WatchPortFolders();
  QStringList after = PortListTexts();
  if (after != before) {
    // Polled every 2 s: only a change is worth a record, and one record
    // holds the whole new list.
    const QString list = after.isEmpty() ? QStringLiteral("(none)") : after.join(QStringLiteral(", "));
    DTU_LOG("COM -> %s", list.toLocal8Bit().constData());
    emit PortListChanged();
  }
}

void DtuCmdPortPage::AddKnownPort(const QString &path) {
  QString trimmed = path.trimmed();
  if (trimmed.isEmpty() || known_ports_.contains(trimmed)) {
    return;
  }
  known_ports_ << trimmed;
  gone_.removeAll(trimmed);
  WatchPortFolders();
  emit PortListChanged();
}

QString DtuCmdPortPage::PortPathForText(const QString &text) const {
  for (const DtuPortInfo &info : ports_) {
    if (text == DisplayText(info)) {
      return QString::fromStdString(info.path);
    }
  }
  return text.trimmed();
}

void DtuCmdPortPage::SetPortName(const QString &text) {
  port_name_ = PortPathForText(text).left(kPortNameMax);
}

void DtuCmdPortPage::OnCbnSelchangeDtuCmdBaudrete(int index) {
  QStringList items = BaudRateItems();
  if (index < 0 || index >= items.size()) {
    baud_index_ = kDefaultBaudIndex;
    baud_ = 115200;
    DTU_LOG("BaudRate : %d.", baud_);
    return;
  }
  baud_index_ = index;
  baud_ = items[index].toInt();
}

void DtuCmdPortPage::OnCbnSelchangeDtuCmdDatabits(int index) {
  QStringList items = DataBitsItems();
  if (index < 0 || index >= items.size()) {
    databits_index_ = kDefaultDataBitsIndex;
    databits_ = 8;
    DTU_LOG("DataBits : %d.", databits_);
    return;
  }
  databits_index_ = index;
  int bits = items[index].toInt();
  databits_ = (bits == 5 || bits == 6 || bits == 7) ? bits : 8;
}

void DtuCmdPortPage::OnCbnSelchangeDtuCmdStopbits(int index) {
  if (index < 0 || index >= StopBitsItems().size()) {
    stopbits_index_ = 0;
    DTU_LOG("stopbits : %d.", stopbits_index_);
    return;
  }
  stopbits_index_ = index;
}

void DtuCmdPortPage::OnCbnSelchangeDtuCmdParity(int index) {
  if (index < 0 || index >= ParityItems().size()) {
    parity_index_ = 0;
    DTU_LOG("Parity : %d", parity_index_);
    return;
  }
  parity_index_ = index;
}

void DtuCmdPortPage::OnCbnSelchangeDtuCmdFlow(int index) {
  if (index >= 0 && index < FlowItems().size()) {
    flow_index_ = index;
  }
}

DtuSerialSettings DtuCmdPortPage::Settings() const {
  DtuSerialSettings settings;
  settings.port = port_name_.toStdString();
  settings.baud = baud_;
  settings.databits = databits_;
  settings.stopbits = stopbits_index_;
  settings.parity = parity_index_;
  return settings;
}

bool DtuCmdPortPage::IsOpen() const { return port_.IsOpen(); }

bool DtuCmdPortPage::OnBnClickedOpenClose() {
  if (port_.IsOpen()) {
    ClosePort();
    return true;
  }
  DtuCmdPortOpen();
  return port_.IsOpen();
}

void DtuCmdPortPage::DtuCmdPortOpen() {
  std::string error_text;
  if (!port_.DtuCmdPortOpen(Settings(), error_text)) {
    DTU_LOG("open %s failed: %s", port_name_.toLocal8Bit().constData(), error_text.c_str());
    std::string message = error_text;
    const DtuPortOpenFailure failure = port_.LastOpenFailure();
    if (failure == DtuPortOpenFailure::kNoPermission || failure == DtuPortOpenFailure::kInUse) {
      message += "\n";
      message += DtuLangText(failure == DtuPortOpenFailure::kInUse ? DtuTextId::kPortInUseByOther : DtuTextId::kPortAccessDenied);
    }
    DtuWarningBox(message);
    return;
  }
  AddKnownPort(port_name_);
  emit OpenStateChanged(true);
}

void DtuCmdPortPage::ClosePort() {
  port_.Close();
  emit OpenStateChanged(false);
}

void DtuCmdPortPage::OnPortLost(const std::string &text) {
  // The link closed the port already; the page only tells the user. The
  // poll puts the port back in the list once the device returns.
  DTU_LOG("%s: %s", port_name_.toLocal8Bit().constData(), text.c_str());
  emit OpenStateChanged(port_.IsOpen());
  QString message = QString::fromUtf8(DtuLangText(DtuTextId::kPortGone)).replace("%s", port_name_);
  DtuWarningBox(message.toStdString() + "\n(" + text + ")");
  UpdateSerailPortList();
}

bool DtuCmdPortPage::OnBnClickedSendCommand(const QString &text) {
  if (!port_.IsOpen()) {
    DtuWarningBox(DtuLangText(DtuTextId::kPortNotOpen));
    return false;
  }
  return port_.SendRaw(text.toStdString()) >= 0;
}
