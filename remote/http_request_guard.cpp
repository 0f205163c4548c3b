#include "remote/http_request_guard.h"

#include <cctype>

namespace {

std::string Lower(const std::string &text) {
  std::string out = text;
  for (char &c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsSecure(const http_url &url) { return Lower(url.scheme) == "https"; }

int EffectivePort(const http_url &url) {
  if (url.port >= 0) return url.port;
  return IsSecure(url) ? 443 : 80;
}

}  // namespace

HttpRedirectStep http_redirect_check(const http_url &from, const http_url &to) {
  if (IsSecure(from) && Lower(to.scheme) == "http") return HttpRedirectStep::kRefuseDowngrade;
  if (Lower(from.host) != Lower(to.host) || EffectivePort(from) != EffectivePort(to)) {
    return HttpRedirectStep::kFollowWithoutCredentials;
  }
  return HttpRedirectStep::kFollow;
}

std::string http_header_without_credentials(const std::string &header) {
  static const std::string kName = "authorization:";
  std::string kept;
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find('\n', start);
    end = end == std::string::npos ? header.size() : end + 1;
    const std::string line = header.substr(start, end - start);
    if (Lower(line.substr(0, kName.size())) != kName) kept += line;
    start = end;
  }
  return kept;
}

bool http_header_text_is_safe(const char *header, size_t length) {
  if (header == nullptr || length == 0) return true;
  for (size_t i = 0; i < length; ++i) {
    const char c = header[i];
    if (c == '\0') return false;
    if (c == '\r' && (i + 1 >= length || header[i + 1] != '\n')) return false;
    if (c == '\n' && (i == 0 || header[i - 1] != '\r')) return false;
  }
  return header[length - 1] == '\n';
}

std::string http_url_for_log(const std::string &url) {
  const size_t cut = url.find_first_of("?#");
  return cut == std::string::npos ? url : url.substr(0, cut);
}
