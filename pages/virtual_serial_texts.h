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
constexpr int kCloudLinkLost = 427;
constexpr int kLoginFailed = 428;
constexpr int kLogoutFailed = 429;
constexpr int kRefreshFailed = 430;
constexpr int kLoggingIn = 431;
constexpr int kRefreshing = 432;
constexpr int kConnecting = 433;
constexpr int kDeviceCount = 434;
constexpr int kAccountRefused = 435;
constexpr int kAnswerUnreadable = 436;
constexpr int kRequestFailed = 437;

}  // namespace virtual_serial_text
