// The virtual serial page: fields and [iotInfo], labels, device list, log and
// the bridge hooks. The platform and link buttons are in virtual_serial_cloud.cpp.
#include "pages/virtual_serial/virtual_serial_tool.h"

#include <QMetaObject>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "config/dtu_config.h"
#include "config/dtu_iot_info.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"
#include "remote/dtu_remote_bridge.h"
#include "remote/dtu_remote_ids.h"

namespace {

const char *const kAccountKeys[] = {"username", "password", "productKey", "productSecret"};

std::string *AccountValue(DtuIotInfo &info, int field, bool &seen) {
  switch (field) {
    case VirtualSerialTool::kUsername:
      seen = info.usernameSeen;
      return &info.username;
    case VirtualSerialTool::kPassword:
      seen = info.passwordSeen;
      return &info.password;
    case VirtualSerialTool::kProductKey:
      seen = info.productKeySeen;
      return &info.productKey;
    default:
      seen = info.productSecretSeen;
      return &info.productSecret;
  }
}

}  // namespace

VirtualSerialTool::VirtualSerialTool(QObject *parent)
    : QObject(parent), config_path_(kDtuConfigFileName), worker_(this) {
  // The client's success messages are shown here, on the GUI thread, after
  // the page has taken the result in.
  client_.SetSuccessMessages(false);
  connect(&worker_, &DtuNetworkWorker::BusyChanged, this, &VirtualSerialTool::BusyChanged);
  InstallBridgeHooks();
}

VirtualSerialTool::~VirtualSerialTool() {
  // A connect still running would otherwise bring the link up after the
  // close below.
  worker_.Stop();
  SetOnView(false);
  // The link's threads call the hooks below: close it before they go.
  bridge_->Disconnect();
  RemoveBridgeHooks();
}

void VirtualSerialTool::InstallBridgeHooks() {
  // Traffic lines come from the serial and MQTT threads; the log belongs to
  // the GUI thread.
  bridge_->SetTrafficLog([this](const std::string &line) {
    QMetaObject::invokeMethod(this, [this, line] { AppendLog(line); }, Qt::QueuedConnection);
  });
  bridge_->SetLinkLostHandler([this](const std::string &cause) {
    const QString text = QString::fromStdString(cause);
    QMetaObject::invokeMethod(this, [this, text] { LinkLost(text); }, Qt::QueuedConnection);
  });
}

void VirtualSerialTool::RemoveBridgeHooks() {
  bridge_->SetTrafficLog(nullptr);
  bridge_->SetLinkLostHandler(nullptr);
}

void VirtualSerialTool::SetAdapterLister(std::function<std::vector<DtuHardwareAddress>()> lister) {
  adapter_lister_ = std::move(lister);
}

void VirtualSerialTool::SetFieldText(Field field, const QString &text) { fields_[field] = text; }

void VirtualSerialTool::PutField(Field field, const QString &text) {
  if (fields_[field] == text) return;
  fields_[field] = text;
  emit FieldChanged(field);
}

void VirtualSerialTool::SetOnView(bool on_view) {
  // Chunks from the local port go to the cloud, not to the pages, while the
  // page is on view.
  if (DtuCmdPortPage *port_page = DtuPageReference<DtuCmdPortPage>::Current()) {
    DtuCmdPort &port = port_page->Port();
    if (on_view) {
      port.EnterRemoteMode(bridge_);
    } else if (port.RemotePeer() == bridge_) {
      port.LeaveRemoteMode();
    }
  }
  if (on_view) iotInfoInit();
}

void VirtualSerialTool::iotInfoInit() {
  DtuIotInfo info;
  bool loaded = iotInfoLoad(config_path_, info);
  if (!loaded) {
    DTU_LOG("Can't load '%s' for iotInfo, creating defaults.", config_path_.c_str());
    iotInfoWriteDefaults(config_path_, info);
    loaded = iotInfoLoad(config_path_, info = DtuIotInfo());
  }
  if (loaded && !info.AllSeen()) {
    iotInfoWriteDefaults(config_path_, info);
    loaded = iotInfoLoad(config_path_, info = DtuIotInfo());
  }
  for (int field = kUsername; field <= kProductSecret; ++field) {
    bool seen = false;
    const std::string *value = AccountValue(info, field, seen);
    // A prompt the file holds by default is no account: the field stays
    // empty and the view shows the prompt as its placeholder.
    if (seen) PutField(static_cast<Field>(field), IsPrompt(field, *value) ? QString() : QString::fromStdString(*value));
  }
  ReLabel();
  for (int field = kUsername; field <= kProductSecret; ++field) saved_[field] = fields_[field];
}

void VirtualSerialTool::SaveIotInfoIfChanged() {
  bool changed = false;
  for (int field = kUsername; field <= kProductSecret; ++field) changed |= saved_[field] != fields_[field];
  if (!changed) return;
  const std::string values[] = {fields_[kUsername].toStdString(), fields_[kPassword].toStdString(),
                                fields_[kProductKey].toStdString(), fields_[kProductSecret].toStdString()};
  if (!iotInfoSave(config_path_, values[0], values[1], values[2], values[3])) {
    DTU_LOG("Failed to save iotInfo to %s.", kDtuConfigFileName);
    return;
  }
  for (int field = kUsername; field <= kProductSecret; ++field) saved_[field] = fields_[field];
}

bool VirtualSerialTool::IsPrompt(int field, const std::string &text) {
  const char *key = kAccountKeys[field];
  return text == iotInfoPrompt(key, true) || text == iotInfoPrompt(key, false);
}

QString VirtualSerialTool::Prompt(Field field) {
  if (field < kUsername || field > kProductSecret) return QString();
  return QString::fromUtf8(iotInfoPrompt(kAccountKeys[field], DtuLangFlag.load() == 1));
}

void VirtualSerialTool::ReLabel() { emit Relabelled(); }

void VirtualSerialTool::OnNMClickTreeVirtdev(int row) {
  if (row < 0 || row >= static_cast<int>(devices_.size())) return;
  DeviceRow &device = devices_[static_cast<size_t>(row)];
  device.checked = !device.checked;
  if (device.checked) {
    PutField(kDeviceId, QString::fromStdString(device.imei.substr(0, kDeviceIdMax)));
  }
}

void VirtualSerialTool::iotInfoUpdate(const std::vector<std::string> &imeis) {
  devices_.clear();
  for (const std::string &imei : imeis) devices_.push_back({imei, false});
  emit DevicesChanged();
}

void VirtualSerialTool::AppendLog(const std::string &message, const char *data, int length) {
  const std::string line = VirtualSerialLogLineNow(message, data, length);
  log_.Append(line);
  // The view shows one line per block; the CR LF only ends the line.
  emit LogAppended(QString::fromUtf8(line.data(), static_cast<int>(line.size()) - 2));
}

bool VirtualSerialTool::LinkConnected() const { return link_connected_; }

std::string VirtualSerialTool::ClientId() const {
  const std::vector<DtuHardwareAddress> addresses =
      adapter_lister_ ? adapter_lister_() : DtuListAdapterAddresses();
  const std::time_t seconds = std::time(nullptr);
  std::tm now{};
  localtime_r(&seconds, &now);
  return DtuInstanceClientId(DtuClientIdFromAdapters(addresses, now));
}
