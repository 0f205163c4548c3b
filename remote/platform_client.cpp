// The cloud platform's REST calls (see platform_client.h).
#include "remote/platform_client.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_printable.h"
#include "remote/http_client.h"
#include "remote/platform_answers.h"

const char kPlatformLoginPath[] = "/vorda/dmp/user/login";
const char kPlatformLogoutPath[] = "/vorda/dmp/user/logout";
const char kPlatformDevNumberPath[] = "/vorda/dmp/device/devNumber";
const char kPlatformDevListPath[] = "/vorda/dmp/device/lightList";

namespace {


std::string Cut(const std::string &text, size_t max) { return text.size() > max ? text.substr(0, max) : text; }

// snprintf into a fixed buffer: longer results are cut.
template <typename... Args>
std::string Format(int size, const char *format, Args... args) {
  std::unique_ptr<char[]> buf(new char[size]);
  std::snprintf(buf.get(), static_cast<size_t>(size), format, args...);
  return buf.get();
}

}  // namespace

PlatformClient::PlatformClient(std::string api_base) : api_base_(std::move(api_base)) {}

std::string PlatformClient::LoginUrl(const std::string &username, const std::string &password) const {
  return Format(kPlatformUrlSize, "%s%s?username=%s&password=%s", api_base_.c_str(), kPlatformLoginPath,
                UrlEncode(username).c_str(), Md5Hex(password).c_str());
}

std::string PlatformClient::BearerHeader() const {
  return Format(kPlatformHeaderSize, "Authorization: Bearer %s\r\n", access_token_.c_str());
}

std::string PlatformClient::DevNumberUrl(const std::string &product_key,
                                         const std::string &product_secret) const {
  return Format(kPlatformUrlSize, "%s%s?productKey=%s&productSecret=%s", api_base_.c_str(),
                kPlatformDevNumberPath, Cut(product_key, kPlatformProductFieldMax).c_str(),
                Cut(product_secret, kPlatformProductFieldMax).c_str());
}

std::string PlatformClient::DevListUrl(const std::string &product_key, const std::string &product_secret,
                                       int page_size, int page_num) const {
  return Format(kPlatformUrlSize, "%s%s?productKey=%s&productSecret=%s&pageNum=%d&pageSize=%d",
                api_base_.c_str(), kPlatformDevListPath, Cut(product_key, kPlatformProductFieldMax).c_str(),
                Cut(product_secret, kPlatformProductFieldMax).c_str(), page_num, page_size);
}

int PlatformClient::Login(const std::string &username, const std::string &password) {
  std::string url = LoginUrl(username, password);
  http_client *request = http_client_create(http_client_default_timeout());
  if (!request) {
    DTU_LOG("HTTP request failed with status: %d.", HTTP_ERR_ALLOC);
    return HTTP_ERR_ALLOC;
  }
  int result = http_client_request(request, url.c_str(), nullptr, 0);
  if (!request->body) {
    int status = result != 0 ? result : PLATFORM_NO_BODY;
    DTU_LOG("HTTP request failed with status: %d.", status);
    http_client_free(request);
    return status;
  }
  // The body counts even when the request failed half-way.
  size_t length = static_cast<size_t>(request->body_length);
  if (length > kPlatformSmallAnswer - 1) length = kPlatformSmallAnswer - 1;
  std::string answer(request->body, length);
  http_client_free(request);
  std::string token;
  int parsed = PlatformParseAccessToken(answer.c_str(), answer.size(), &token);
  if (parsed == PLATFORM_ANSWER_BAD_JSON) {
    DTU_LOG("cJSON parse failed.");
    return PLATFORM_BAD_JSON;
  }
  if (parsed != PLATFORM_ANSWER_OK) {
    DTU_LOG("access_token not found in response.");
    logged_in_ = false;
    return PLATFORM_NO_MEMBER;
  }
  // The token goes into a header line of every later call: a line break in
  // it would add headers of the platform's choosing.
  if (DtuHasControlCharacter(token)) {
    DTU_LOG("access_token holds a control character; login refused.");
    logged_in_ = false;
    return PLATFORM_BAD_TOKEN;
  }
  access_token_ = Cut(token, kPlatformTokenSize - 1);
  logged_in_ = true;
  if (success_messages_) DtuMessageBox(DtuLangText(DtuTextId::kLoginSucceeded));
  return PLATFORM_OK;
}

int PlatformClient::GetWithToken(const std::string &url, char *answer, int answer_size) {
  std::string header = BearerHeader();
  int result = http_client_get(url.c_str(), header.c_str(), static_cast<int>(header.size()), answer,
                               answer_size);
  if (result != 0) DTU_LOG("HTTP request failed with status: %d.", result);
  return result;
}

int PlatformClient::Logout() {
  if (!logged_in_) return PLATFORM_NOT_LOGGED_IN;
  char answer[kPlatformSmallAnswer];
  int result = GetWithToken(api_base_ + kPlatformLogoutPath, answer, sizeof(answer));
  if (result != 0) return result;  // still logged in, the token stays in use
  logged_in_ = false;
  if (success_messages_) DtuMessageBox(DtuLangText(DtuTextId::kLogoutSucceeded));
  return PLATFORM_OK;
}

int PlatformClient::RefreshDevices(const std::string &product_key, const std::string &product_secret,
                                   std::vector<std::string> *devices) {
  // One page of all rows while they fit the answer buffer; a longer list
  // would be cut and fail to parse, so it is asked for page by page.
  return ListDevices(product_key, product_secret, devices, 0);
}

int PlatformClient::ParseListAnswer(const char *answer, std::vector<std::string> &found) {
  int parsed = PlatformParseDeviceList(answer, std::strlen(answer), &found);
  if (parsed == PLATFORM_ANSWER_MISSING) {
    DTU_LOG("rows is not array or not found.");
    return PLATFORM_NO_MEMBER;
  }
  if (parsed != PLATFORM_ANSWER_OK) {
    DTU_LOG("parse device list json failed.");
    return PLATFORM_BAD_JSON;
  }
  return PLATFORM_OK;
}

int PlatformClient::ListAllDevices(const std::string &product_key, const std::string &product_secret,
                                   std::vector<std::string> *devices, int page_size) {
  return ListDevices(product_key, product_secret, devices, page_size);
}

int PlatformClient::ListDevices(const std::string &product_key, const std::string &product_secret,
                                std::vector<std::string> *devices, int page_size) {
  if (!logged_in_) return PLATFORM_NOT_LOGGED_IN;
  std::unique_ptr<char[]> answer(new char[kPlatformLargeAnswer]);
  int result = GetWithToken(DevNumberUrl(product_key, product_secret), answer.get(), kPlatformLargeAnswer);
  if (result != 0) return result;
  const int count = PlatformParseDeviceCount(answer.get());
  const bool one_page = page_size <= 0;
  if (count < 0 && !one_page) {
    DTU_LOG("device count not found.");
    return PLATFORM_NO_MEMBER;
  }
  // A count the answer did not give (-1) is asked for as the page size, as
  // the platform expects of the one-page list.
  if (one_page) page_size = count <= kPlatformListPageSize ? count : kPlatformListPageSize;
  std::vector<std::string> all;
  for (int page = 1; page == 1 || (page - 1) * page_size < count; ++page) {
    result = GetWithToken(DevListUrl(product_key, product_secret, page_size, page), answer.get(),
                          kPlatformLargeAnswer);
    if (result != 0) return result;
    std::vector<std::string> found;
    result = ParseListAnswer(answer.get(), found);
    if (result != PLATFORM_OK) return result;
    // Rows without an IMEI (a device not provisioned yet) are left out, so
    // a page may give fewer than it holds: the count says when to stop.
    all.insert(all.end(), found.begin(), found.end());
  }
  if (devices) *devices = std::move(all);
  return PLATFORM_OK;
}
