// URL parsing for the HTTP client: splits an absolute URL into scheme, user
// information, host, port, path, query and fragment, with the RFC 3986
// syntax HTTP clients use. Nothing is decoded; every part is kept as written.
#pragma once

#include <cstddef>
#include <string>

struct http_url {
  std::string scheme;    // as written ("HTTPS" stays "HTTPS"); empty if none
  std::string userinfo;  // parsed and ignored by the client
  std::string host;      // as written; an IPv6 literal keeps its brackets
  int port = -1;         // -1 when the URL names none
  std::string path;      // empty when the URL has none
  std::string query;     // without the "?"; empty when none
  std::string fragment;  // without the "#"; never sent
  bool has_query = false;
};

// 0 on success, 5 when the text is not a URL: a character the syntax does
// not allow, a scheme without a host, a bad host literal or a port above 65535.
int http_url_parse(const char *text, size_t length, http_url *out);

// Resolves a redirect target against the URL it came from. Absolute targets
// are returned as they are; "//host/x" takes the base's scheme and "/x" the
// base's scheme and authority. Anything else is returned unchanged.
std::string http_url_resolve_redirect(const http_url &base, const std::string &location);
