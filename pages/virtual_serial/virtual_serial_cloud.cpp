// The virtual serial page's platform and link buttons: login and logout,
// device list refresh, Connect, Disconnect and Send. What waits on the network
// runs on the page's worker; what it found is applied here on the GUI thread.
#include <cstdarg>
#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "pages/virtual_serial/virtual_serial_tool.h"
#include "remote/dtu_remote_bridge.h"
#include "remote/platform_settings.h"
#include "remote/tam_mqtt_client.h"


namespace {

std::string FormatText(DtuTextId text_id, ...) {
  char buffer[512];
  va_list args;
  va_start(args, text_id);
  std::vsnprintf(buffer, sizeof buffer, DtuLangText(text_id), args);
  va_end(args);
  return buffer;
}

// Why a platform call failed, in the user's words.
std::string FailureReason(int result, bool login) {
  if (result == PLATFORM_NO_MEMBER && login) return DtuLangText(DtuTextId::kAccountRefused);
  if (result == PLATFORM_NO_MEMBER || result == PLATFORM_BAD_JSON) return DtuLangText(DtuTextId::kAnswerUnreadable);
  return FormatText(DtuTextId::kRequestFailed, result);
}

std::string Cut(const QString &text, int max) { return text.toStdString().substr(0, static_cast<size_t>(max)); }

// The platform's whereabouts, read afresh for each call: the file or the
// environment may have changed since the last one.
PlatformSettings LoadSettings(const std::string &config_path) {
  PlatformSettings settings = PlatformSettingsLoad(config_path);
  PlatformSettingsApplyTls(settings);
  return settings;
}

}  // namespace

void VirtualSerialTool::ShowFailure(DtuTextId text_id, const std::string &reason) {
  AppendLog(FormatText(text_id, reason.c_str()));
}

void VirtualSerialTool::OnBnClickedBtVirtdevLogin() {
  if (logged_in_) {
    Logout();
  } else {
    Login();
  }
}

void VirtualSerialTool::Login() {
  SaveIotInfoIfChanged();
  const std::string user = fields_[kUsername].toStdString();
  const std::string password = fields_[kPassword].toStdString();
  const std::string config = config_path_;
  AppendLog(FormatText(DtuTextId::kLoggingIn, PlatformSettingsLoad(config).api_base.c_str()));
  worker_.Run([this, user, password, config]() -> DtuNetworkWorker::Apply {
    client_.SetApiBase(LoadSettings(config).api_base);
    const int result = client_.Login(user, password);
    return [this, result] {
      if (result == PLATFORM_OK || result == PLATFORM_NO_MEMBER) {
        logged_in_ = result == PLATFORM_OK;
        ReLabel();
      }
      if (result == PLATFORM_OK) {
        DtuMessageBox(DtuLangText(DtuTextId::kLoginSucceeded));
      } else {
        ShowFailure(DtuTextId::kLoginFailed, FailureReason(result, true));
      }
    };
  });
}

void VirtualSerialTool::Logout() {
  worker_.Run([this]() -> DtuNetworkWorker::Apply {
    const int result = client_.Logout();
    return [this, result] {
      if (result != PLATFORM_OK) {
        // The login stays open and its token in use.
        ShowFailure(DtuTextId::kLogoutFailed, FailureReason(result, false));
        return;
      }
      logged_in_ = false;
      ReLabel();
      DtuMessageBox(DtuLangText(DtuTextId::kLogoutSucceeded));
    };
  });
}

void VirtualSerialTool::OnBnClickedBtVirtdevUpdate() {
  SaveIotInfoIfChanged();
  if (!logged_in_) {
    // Said in the log rather than a box: the list needs a login first.
    AppendLog(DtuLangText(DtuTextId::kNotLoggedIn));
    return;
  }
  const std::string key = Cut(fields_[kProductKey], kProductFieldMax);
  const std::string secret = Cut(fields_[kProductSecret], kProductFieldMax);
  AppendLog(DtuLangText(DtuTextId::kRefreshing));
  worker_.Run([this, key, secret]() -> DtuNetworkWorker::Apply {
    std::vector<std::string> imeis;
    const int result = client_.RefreshDevices(key, secret, &imeis);
    return [this, result, imeis] {
      if (result != PLATFORM_OK) {
        ShowFailure(DtuTextId::kRefreshFailed, FailureReason(result, false));
        return;
      }
      iotInfoUpdate(imeis);
      AppendLog(FormatText(DtuTextId::kDeviceCount, static_cast<int>(imeis.size())));
    };
  });
}

void VirtualSerialTool::OnBnClickedBtConnMqtt() {
  if (!logged_in_) {
    DtuWarningBox(DtuLangText(DtuTextId::kNotLoggedIn));
    return;
  }
  if (link_connected_ || DtuRemoteBridge::Connected()) {
    DtuWarningBox(DtuLangText(DtuTextId::kAlreadyConnected));
    return;
  }
  const PlatformSettings settings = PlatformSettingsLoad(config_path_);
  DtuRemoteLinkSettings link;
  link.host = settings.mqtt_host;
  link.port = settings.mqtt_port;
  link.client_id = last_client_id_ = ClientId();
  link.product_key = Cut(fields_[kProductKey], kProductFieldMax);
  link.product_secret = Cut(fields_[kProductSecret], kProductFieldMax);
  link.device_id = Cut(fields_[kDeviceId], kProductFieldMax);
  AppendLog(FormatText(DtuTextId::kConnecting, link.host.c_str(), link.port));
  worker_.Run([this, link, bridge = bridge_]() -> DtuNetworkWorker::Apply {
    const int result = bridge->Connect(link);
    return [this, result] {
      link_connected_ = result == 0 && DtuRemoteBridge::Connected();
      AppendLog(DtuLangText(result == 0 ? DtuTextId::kConnectSucceeded : DtuTextId::kConnectFailed));
      emit LinkStateChanged(link_connected_);
    };
  });
}

void VirtualSerialTool::OnBnClickedBtDisconnMqtt() {
  if (!DtuRemoteBridge::Connected()) {
    DtuWarningBox(DtuLangText(DtuTextId::kNotConnected));
    return;
  }
  worker_.Run([this, bridge = bridge_]() -> DtuNetworkWorker::Apply {
    bridge->Disconnect();
    return [this] {
      link_connected_ = false;
      AppendLog(DtuLangText(DtuTextId::kDisconnected));
      emit LinkStateChanged(false);
    };
  });
}

void VirtualSerialTool::OnBnClickedBtSendMqtt() {
  const QByteArray text = fields_[kSendText].toUtf8();
  if (text.isEmpty()) {
    DtuWarningBox(DtuLangText(DtuTextId::kSendContentEmpty));
    return;
  }
  if (text.size() > kSendMax) {
    DtuWarningBox(FormatText(DtuTextId::kSendContentTooLong, kSendMax));
    return;
  }
  if (!DtuRemoteBridge::Connected()) {
    DtuWarningBox(DtuLangText(DtuTextId::kNotConnected));
    return;
  }
  if (tam_mqtt_client_send(text.constData(), static_cast<int>(text.size())) != 0) {
    DtuWarningBox(DtuLangText(DtuTextId::kSendFailed));
    return;
  }
  AppendLog("[Local Tx]# " + text.toStdString() + ".", text.constData(), static_cast<int>(text.size()));
}

void VirtualSerialTool::LinkLost(const QString &cause) {
  link_connected_ = false;
  AppendLog(FormatText(DtuTextId::kCloudLinkLost, cause.toUtf8().constData()));
  emit LinkStateChanged(false);
}
