// Fuzz target: the HTTP client's URL parser and redirect resolution.
#include <cstddef>
#include <cstdint>
#include <string>

#include "remote/http_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *text = reinterpret_cast<const char *>(data);
  http_url url;
  if (http_url_parse(text, size, &url) != 0) return 0;
  if (url.port > 65535 || url.port < -1) __builtin_trap();
  if (!url.scheme.empty() && url.host.empty()) __builtin_trap();
  // A redirect to the same text, and to its path, resolves without harm.
  std::string target = http_url_resolve_redirect(url, std::string(text, size));
  http_url again;
  if (!url.scheme.empty()) http_url_parse(target.data(), target.size(), &again);
  http_url_resolve_redirect(url, "/" + url.path);
  return 0;
}
