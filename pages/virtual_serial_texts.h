// Text ids of the virtual serial page (rows of the bilingual table).
#pragma once

namespace virtual_serial_text {

constexpr int kDeviceList = 23;
constexpr int kDisconnected = 139;
constexpr int kNotConnected = 148;
constexpr int kAlreadyConnected = 149;
constexpr int kSendEmpty = 151;
constexpr int kSendFailed = 152;
constexpr int kConnectFailed = 153;
constexpr int kConnectSuccess = 154;
constexpr int kLoginSuccess = 155;
constexpr int kLogoutSuccess = 156;
constexpr int kNotLogin = 157;
constexpr int kSendTooLong = 180;
// Rows added with the page's worker and link-loss reporting.
constexpr int kCloudLinkLost = 900;
constexpr int kLoginFailed = 901;
constexpr int kLogoutFailed = 902;
constexpr int kRefreshFailed = 903;
constexpr int kLoggingIn = 904;
constexpr int kRefreshing = 905;
constexpr int kConnecting = 906;
constexpr int kDeviceCount = 907;
constexpr int kAccountRefused = 908;
constexpr int kAnswerUnreadable = 909;
constexpr int kRequestFailed = 910;

}  // namespace virtual_serial_text
