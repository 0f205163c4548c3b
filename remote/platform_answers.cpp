// Text side of the cloud platform calls (see platform_answers.h).
#include "remote/platform_answers.h"

#include <cjson/cJSON.h>
#include <climits>
#include <cstring>
#include <memory>

#include "base/dtu_log.h"
#include "base/dtu_printable.h"
#include "remote/openssl_calls.h"

namespace {

using JsonPtr = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

JsonPtr Parse(const char *text, size_t length) {
  return JsonPtr(text ? cJSON_ParseWithLength(text, length) : nullptr, cJSON_Delete);
}

// "total" as a number: its integer value (clamped to int); as a string: its
// leading decimal digits (0 when it has none).
int TotalValue(const cJSON *total) {
  if (cJSON_IsNumber(total)) {
    double v = total->valuedouble;
    if (v >= INT_MAX) return INT_MAX;
    if (v <= INT_MIN) return INT_MIN;
    return static_cast<int>(v);
  }
  long value = 0;
  for (const char *p = total->valuestring; p && *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

}  // namespace

std::string UrlEncode(const std::string &text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '.' || c == '_' || c == '~';
    if (keep) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string Md5Hex(const std::string &text) {
  const OpenSslCalls *ssl = OpenSsl();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (ssl == nullptr || ssl->EVP_Digest(text.data(), text.size(), digest, &length, ssl->EVP_md5(), nullptr) != 1) {
    return "";
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < length; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0x0F];
  }
  return out;
}

int PlatformParseAccessToken(const char *text, size_t length, std::string *token) {
  if (!text) return PLATFORM_ANSWER_NO_TEXT;
  JsonPtr root = Parse(text, length);
  if (!root) return PLATFORM_ANSWER_BAD_JSON;
  const cJSON *item = cJSON_GetObjectItemCaseSensitive(root.get(), "access_token");
  if (!cJSON_IsString(item) || !item->valuestring) return PLATFORM_ANSWER_MISSING;
  *token = item->valuestring;
  return PLATFORM_ANSWER_OK;
}

int PlatformParseDeviceCount(const char *text) {
  if (!text) {
    DTU_LOG("invalid input.");
    return -1;
  }
  JsonPtr root = Parse(text, std::strlen(text));
  if (!root) {
    DTU_LOG("cJSON parse failed.");
    return -1;
  }
  const cJSON *data = cJSON_GetObjectItemCaseSensitive(root.get(), "data");
  const cJSON *holder = cJSON_IsObject(data) ? data : root.get();
  const cJSON *total = cJSON_GetObjectItemCaseSensitive(holder, "total");
  if (!cJSON_IsNumber(total) && !cJSON_IsString(total)) return -1;
  return TotalValue(total);
}

int PlatformParseDeviceList(const char *text, size_t length, std::vector<std::string> *imeis) {
  if (!text) return PLATFORM_ANSWER_NO_TEXT;
  JsonPtr root = Parse(text, length);
  if (!root) return PLATFORM_ANSWER_BAD_JSON;
  const cJSON *rows = cJSON_GetObjectItemCaseSensitive(root.get(), "rows");
  if (!cJSON_IsArray(rows)) return PLATFORM_ANSWER_MISSING;
  imeis->clear();
  const cJSON *row = nullptr;
  cJSON_ArrayForEach(row, rows) {
    const cJSON *imei = cJSON_GetObjectItemCaseSensitive(row, "imei");
    if (!cJSON_IsString(imei) || !imei->valuestring) continue;
    // A line break in an IMEI would show as two devices.
    if (DtuHasControlCharacter(imei->valuestring)) {
      DTU_LOG("device row skipped: its imei holds a control character.");
      continue;
    }
    imeis->push_back(imei->valuestring);
  }
  return PLATFORM_ANSWER_OK;
}
