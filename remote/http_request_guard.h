// What keeps a request from carrying more than its caller meant: which
// redirects are followed and with which headers, and which header text is
// sent at all. The bearer token of the platform calls travels in the extra
// header text, so these rules decide who gets to see it.
#pragma once

#include <cstddef>
#include <string>

#include "remote/http_url.h"

enum class HttpRedirectStep {
  kFollow,                    // same scheme (or http to https), same host and port
  kFollowWithoutCredentials,  // another host or port: the Authorization header stays behind
  kRefuseDowngrade,           // https to plain http: nothing is sent in clear
};

// Decides a redirect from `from` to `to` (both parsed). Schemes compare
// without regard to case, hosts too; a missing port is the scheme's default.
HttpRedirectStep http_redirect_check(const http_url &from, const http_url &to);

// The extra header text without its "Authorization:" lines (any case).
std::string http_header_without_credentials(const std::string &header);

// True when the extra header text is whole lines, each ending in CR LF, with
// no other CR or LF and no NUL: a value holding a line break would add a
// header or a request of its own.
bool http_header_text_is_safe(const char *header, size_t length);

// The URL as the log may show it: without its query and fragment, which may
// carry credentials (the login's password digest).
std::string http_url_for_log(const std::string &url);
