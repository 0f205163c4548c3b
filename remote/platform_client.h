// The cloud platform's REST calls: log in with the platform account (which
// yields a bearer token), log out, and list the devices of one product. Every
// call is an HTTPS GET through http_client to the platform's API base address
// followed by a path; the answers are JSON. Failures go to the diagnostic log
// only; success of a login or logout is shown through DtuMessageBox.
#pragma once

#include <string>
#include <vector>

constexpr int kPlatformUrlSize = 1024;     // URLs are cut to fit
constexpr int kPlatformTokenSize = 1024;
// The bearer header line holds the whole token: a line cut short would lose
// its CR LF and run into the end of the request.
constexpr int kPlatformHeaderSize = kPlatformTokenSize + 32;
constexpr int kPlatformSmallAnswer = 1024;  // login and logout answers
constexpr int kPlatformLargeAnswer = 8192;  // device count and list answers
constexpr size_t kPlatformProductFieldMax = 255;
// Rows asked for per page of a whole list: a row is well under 160 bytes, so
// a page fits the device list's answer buffer.
constexpr int kPlatformListPageSize = 40;

extern const char kPlatformLoginPath[];
extern const char kPlatformLogoutPath[];
extern const char kPlatformDevNumberPath[];
extern const char kPlatformDevListPath[];

// Results beside the HTTP client's codes (which are positive).
enum platform_call_result {
  PLATFORM_OK = 0,
  PLATFORM_NO_BODY = -1,        // the login request succeeded without a body
  PLATFORM_BAD_JSON = -2,       // the answer is not JSON (or was cut)
  PLATFORM_NO_MEMBER = -3,      // "access_token" or "rows" is missing
  PLATFORM_NOT_LOGGED_IN = -4,  // the call needs a login
  PLATFORM_BAD_TOKEN = -5,      // the token holds a control character (CR, LF, ...)
};

class PlatformClient {
 public:
  explicit PlatformClient(std::string api_base = "");

  void SetApiBase(const std::string &api_base) { api_base_ = api_base; }
  const std::string &ApiBase() const { return api_base_; }
  bool LoggedIn() const { return logged_in_; }
  // Whether Login and Logout show their success through DtuMessageBox (on
  // by default). A caller that runs them off its GUI thread turns this off
  // and shows the message itself, in its own order.
  void SetSuccessMessages(bool shown) { success_messages_ = shown; }
  const std::string &AccessToken() const { return access_token_; }

  // Logs in with the account (UTF-8); 0 when the answer held a token.
  int Login(const std::string &username, const std::string &password);
  // Closes the login; the client stays logged in when the request fails.
  int Logout();
  // Device count, then the device list: in one page of that size when the
  // rows fit one answer, else as ListAllDevices does. 0 and the IMEIs in
  // `devices`; on failure `devices` is left as it was.
  int RefreshDevices(const std::string &product_key, const std::string &product_secret,
                     std::vector<std::string> *devices);
  // The whole list of a product of any size: the device count, then the
  // list page by page (`page_size` rows a page, so that each answer fits
  // its buffer). 0 and the IMEIs in `devices`; on failure `devices` is left
  // as it was.
  int ListAllDevices(const std::string &product_key, const std::string &product_secret,
                     std::vector<std::string> *devices, int page_size = kPlatformListPageSize);

  // The URLs and header the calls send (cut to their buffers).
  std::string LoginUrl(const std::string &username, const std::string &password) const;
  std::string BearerHeader() const;
  std::string DevNumberUrl(const std::string &product_key, const std::string &product_secret) const;
  std::string DevListUrl(const std::string &product_key, const std::string &product_secret,
                         int page_size, int page_num = 1) const;

 private:
  int GetWithToken(const std::string &url, char *answer, int answer_size);
  int ParseListAnswer(const char *answer, std::vector<std::string> &found);
  // page_size 0: the whole count in one page while it fits one answer.
  int ListDevices(const std::string &product_key, const std::string &product_secret,
                  std::vector<std::string> *devices, int page_size);

  std::string api_base_;
  bool logged_in_ = false;
  bool success_messages_ = true;
  std::string access_token_;
};
