// URL parser of the HTTP client (see http_url.h).
#include "remote/http_url.h"

#include <cstring>

namespace {

constexpr int kUrlOk = 0;
constexpr int kUrlBad = 5;

bool IsAlpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHex(unsigned char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

bool IsUnreserved(unsigned char c) {
  return IsAlpha(c) || IsDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool IsSubDelim(unsigned char c) { return c != 0 && std::strchr("!$&'()*+,;=", c) != nullptr; }

// Characters allowed in user information, a registered host name, a path
// segment, a query or a fragment ('%' is checked separately for its digits).
bool IsPchar(unsigned char c) { return IsUnreserved(c) || IsSubDelim(c) || c == ':' || c == '@'; }

// Checks that every '%' in [p, end) is followed by two hex digits and that
// every other character satisfies `allowed`.
template <typename Allowed>
bool CheckPart(const char *p, const char *end, Allowed allowed) {
  for (; p < end; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '%') {
      if (end - p < 3 || !IsHex(p[1]) || !IsHex(p[2])) return false;
      p += 2;
    } else if (!allowed(c)) {
      return false;
    }
  }
  return true;
}

// Scheme: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":". Returns the
// position after the colon, or `text` when there is no scheme.
const char *ParseScheme(const char *text, const char *end, http_url *out) {
  const char *p = text;
  if (p == end || !IsAlpha(*p)) return text;
  while (p < end && (IsAlpha(*p) || IsDigit(*p) || *p == '+' || *p == '-' || *p == '.')) ++p;
  if (p == end || *p != ':') return text;
  out->scheme.assign(text, p);
  return p + 1;
}

bool ParsePort(const char *p, const char *end, http_url *out) {
  if (p == end) return true;  // "host:" names no port
  long value = 0;
  for (; p < end; ++p) {
    if (!IsDigit(*p)) return false;
    value = value * 10 + (*p - '0');
    if (value > 65535) return false;
  }
  out->port = static_cast<int>(value);
  return true;
}

bool ParseHostAndPort(const char *p, const char *end, http_url *out) {
  const char *host_end;
  if (p < end && *p == '[') {
    const char *close = static_cast<const char *>(std::memchr(p, ']', end - p));
    if (!close || close == p + 1) return false;
    for (const char *q = p + 1; q < close; ++q) {
      if (!IsHex(*q) && *q != ':' && *q != '.') return false;
    }
    host_end = close + 1;
    if (host_end < end && *host_end != ':') return false;
  } else {
    host_end = p;
    while (host_end < end && *host_end != ':') ++host_end;
    if (!CheckPart(p, host_end, [](unsigned char c) { return IsUnreserved(c) || IsSubDelim(c); }))
      return false;
  }
  out->host.assign(p, host_end);
  if (host_end < end) return ParsePort(host_end + 1, end, out);
  return true;
}

bool ParseAuthority(const char *p, const char *end, http_url *out) {
  const char *at = nullptr;
  for (const char *q = p; q < end; ++q) {
    if (*q == '@') at = q;
  }
  if (at) {
    if (!CheckPart(p, at, IsPchar)) return false;
    out->userinfo.assign(p, at);
    p = at + 1;
  }
  return ParseHostAndPort(p, end, out);
}

// Path, query and fragment, starting at `p`.
bool ParseRest(const char *p, const char *end, http_url *out) {
  const char *path_end = p;
  while (path_end < end && *path_end != '?' && *path_end != '#') ++path_end;
  if (!CheckPart(p, path_end, [](unsigned char c) { return IsPchar(c) || c == '/'; })) return false;
  out->path.assign(p, path_end);
  p = path_end;
  auto query_char = [](unsigned char c) { return IsPchar(c) || c == '/' || c == '?'; };
  if (p < end && *p == '?') {
    const char *query_end = ++p;
    while (query_end < end && *query_end != '#') ++query_end;
    if (!CheckPart(p, query_end, query_char)) return false;
    out->query.assign(p, query_end);
    out->has_query = true;
    p = query_end;
  }
  if (p < end && *p == '#') {
    ++p;
    if (!CheckPart(p, end, query_char)) return false;
    out->fragment.assign(p, end);
  }
  return true;
}

}  // namespace

int http_url_parse(const char *text, size_t length, http_url *out) {
  if (!text || !out) return kUrlBad;
  *out = http_url();
  const char *end = text + length;
  const char *p = ParseScheme(text, end, out);
  bool has_authority = end - p >= 2 && p[0] == '/' && p[1] == '/';
  if (has_authority) {
    p += 2;
    const char *authority_end = p;
    while (authority_end < end && *authority_end != '/' && *authority_end != '?' &&
           *authority_end != '#')
      ++authority_end;
    if (!ParseAuthority(p, authority_end, out)) return kUrlBad;
    p = authority_end;
  }
  if (!out->scheme.empty() && out->host.empty()) return kUrlBad;
  if (!ParseRest(p, end, out)) return kUrlBad;
  return kUrlOk;
}

std::string http_url_resolve_redirect(const http_url &base, const std::string &location) {
  if (location.size() >= 2 && location[0] == '/' && location[1] == '/') {
    return base.scheme + ":" + location;
  }
  if (!location.empty() && location[0] == '/') {
    std::string origin = base.scheme + "://" + base.host;
    if (base.port >= 0) origin += ":" + std::to_string(base.port);
    return origin + location;
  }
  return location;
}
