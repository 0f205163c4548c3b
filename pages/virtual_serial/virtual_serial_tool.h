// The virtual serial page's logic: the platform account kept in [iotInfo],
// login and device list through the platform client, the cloud link to one
// remote device, the Send field, the exchange log, and the remote bridge
// while the page is on view. QtCore only: the widgets live in
// app/views/virtual_serial/virtual_serial_view.h and follow this object's signals.
//
// Network work (HTTPS requests, MQTT connect and disconnect) runs on a worker
// thread; results are applied on the GUI thread in the order the buttons were
// pressed, with the messages the page always showed. Busy() is true while any
// of it runs, and the view disables the page's buttons meanwhile.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/dtu_text_id.h"
#include "pages/virtual_serial/dtu_network_worker.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/virtual_serial/virtual_serial_log.h"
#include "remote/dtu_adapter_address.h"
#include "remote/dtu_remote_bridge.h"
#include "remote/platform_client.h"

class VirtualSerialTool : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSendMax = 512;
  static constexpr int kDeviceIdMax = 1023;
  static constexpr int kProductFieldMax = 255;

  enum Field { kUsername, kPassword, kProductKey, kProductSecret, kDeviceId, kSendText, kFieldCount };

  struct DeviceRow {
    std::string imei;
    bool checked = false;
  };

  explicit VirtualSerialTool(QObject *parent = nullptr);
  ~VirtualSerialTool() override;

  // Where the client identifier's adapter addresses come from (tests give
  // their own list; default: this machine's adapters).
  void SetAdapterLister(std::function<std::vector<DtuHardwareAddress>()> lister);

  QString FieldText(Field field) const { return fields_[field]; }
  // A field edited by the user; the page does not echo it back.
  void SetFieldText(Field field, const QString &text);

  // Remote mode and [iotInfo]: the window calls this with true each time the
  // page comes on view and with false when another page does. Remote mode
  // puts the window's command port (the command port page's) in remote mode
  // with this page's bridge.
  void SetOnView(bool on_view);

  void iotInfoInit();
  void SaveIotInfoIfChanged();
  // Tells the view to re-label (Relabelled()). The account fields never
  // hold their prompts: those are the view's placeholders (Prompt).
  void ReLabel();
  // The prompt of an account field in the current language ("" for others).
  static QString Prompt(Field field);

  void OnBnClickedBtVirtdevLogin();
  void OnBnClickedBtVirtdevUpdate();
  void OnBnClickedBtConnMqtt();
  void OnBnClickedBtDisconnMqtt();
  void OnBnClickedBtSendMqtt();
  // A click on the check box of device row `row` (0-based, under the root):
  // ticking it copies the IMEI into Device ID; clearing it changes nothing else.
  void OnNMClickTreeVirtdev(int row);
  // Rebuilds the device list (the root stays, ticked; the rows are clear).
  void iotInfoUpdate(const std::vector<std::string> &imeis);

  // One line in the log box (GUI thread).
  void AppendLog(const std::string &message, const char *data = nullptr, int length = 0);

  bool LoggedIn() const { return logged_in_; }
  bool LinkConnected() const;
  bool Busy() const { return worker_.Busy(); }
  const std::vector<DeviceRow> &Devices() const { return devices_; }
  const VirtualSerialLog &Log() const { return log_; }
  const std::string &LastClientId() const { return last_client_id_; }
  // The file holding [iotInfo] and the [platform] settings the page uses.
  const std::string &ConfigPath() const { return config_path_; }

 signals:
  void FieldChanged(int field);
  void Relabelled();
  void DevicesChanged();
  void LogAppended(const QString &line);
  void BusyChanged(bool busy);
  void LinkStateChanged(bool connected);

 private:
  // True when the text is the field's prompt in either language.
  static bool IsPrompt(int field, const std::string &text);
  void InstallBridgeHooks();
  void RemoveBridgeHooks();
  void PutField(Field field, const QString &text);
  std::string ClientId() const;
  void Login();
  void Logout();
  void LinkLost(const QString &cause);
  void ShowFailure(DtuTextId text_id, const std::string &reason);

  QString fields_[kFieldCount];
  QString saved_[4];  // username, password, productKey, productSecret as last loaded or saved
  // The configuration file holding [iotInfo] (Zev_DtuConfig.txt in the
  // working directory); also where the [platform] settings are read.
  std::string config_path_;
  std::function<std::vector<DtuHardwareAddress>()> adapter_lister_;
  std::vector<DeviceRow> devices_;
  VirtualSerialLog log_;
  std::string last_client_id_;
  bool logged_in_ = false;
  bool link_connected_ = false;
  // The remote bridge: its hooks lead to this page for the page's lifetime;
  // the command port holds it too while in remote mode.
  std::shared_ptr<DtuRemoteBridge> bridge_ = std::make_shared<DtuRemoteBridge>();
  PlatformClient client_;     // used on the worker thread only
  DtuNetworkWorker worker_;   // last: joined before the client goes
  // Last member: the answer handlers reach the page until it starts going.
  DtuPageReference<VirtualSerialTool> reference_{this};
};
