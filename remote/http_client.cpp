// HTTP client: the request record, the request bytes, the read loop and the
// parser events that collect headers and body (see http_client.h).
#include "remote/http_client.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/dtu_log.h"
#include "remote/http_request_guard.h"
#include "remote/http_socket.h"
#include "remote/http_tls.h"
#include "remote/http_url.h"

namespace {

constexpr uint16_t kHeaderStartCapacity = 128;
constexpr size_t kHeaderMaxLength = 65535;

const char kFixedHeaderBlock[] =
    "\r\nConnection: close\r\nAccept: */*\r\nUser-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64; "
    "rv:29.0) Gecko/20100101 Firefox/29.0\r\n";
static_assert(sizeof(kFixedHeaderBlock) - 1 == 120, "the fixed header block is 120 bytes");

std::atomic<int> g_default_timeout{kHttpDefaultTimeoutMs};
std::atomic<int> g_request_deadline{kHttpRequestDeadlineMs};

http_client *Client(void *user) { return static_cast<http_client *>(user); }

bool EqualsNoCase(const http_text_buffer &text, const char *word) {
  size_t n = std::strlen(word);
  if (text.length != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = text.data[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != word[i]) return false;
  }
  return true;
}

// Appends to a header buffer; false when it would pass 65535 bytes.
bool TextAppend(http_text_buffer *text, const char *at, size_t n) {
  size_t needed = static_cast<size_t>(text->length) + n;
  if (needed > kHeaderMaxLength) return false;
  if (needed > text->capacity || !text->data) {
    size_t capacity = text->capacity ? text->capacity : kHeaderStartCapacity;
    while (capacity < needed) capacity *= 2;
    if (capacity > kHeaderMaxLength) capacity = kHeaderMaxLength;
    char *grown = static_cast<char *>(std::realloc(text->data, capacity));
    if (!grown) return false;
    text->data = grown;
    text->capacity = static_cast<uint16_t>(capacity);
  }
  if (n) std::memcpy(text->data + text->length, at, n);
  text->length = static_cast<uint16_t>(needed);
  return true;
}

void TextFree(http_text_buffer *text) {
  std::free(text->data);
  *text = http_text_buffer{};
}

long LeadingDecimal(const http_text_buffer &text) {
  long value = 0;
  for (uint16_t i = 0; i < text.length && text.data[i] >= '0' && text.data[i] <= '9'; ++i) {
    value = value * 10 + (text.data[i] - '0');
    if (value > kHttpMaxBody) return kHttpMaxBody + 1;  // enough to refuse it
  }
  return value;
}

// Finishes the header pair being collected. Returns 1 to stop the parser
// (a redirect was found).
int FinishPair(http_client *c) {
  int stop = 0;
  if (c->header_name.length && c->header_value.length) {
    if (EqualsNoCase(c->header_name, "location")) {
      uint16_t n = c->header_value.length;
      while (n && (c->header_value.data[n - 1] == ' ' || c->header_value.data[n - 1] == '\t')) --n;
      std::free(c->redirect_url);
      c->redirect_url = static_cast<char *>(std::malloc(n + 1u));
      if (c->redirect_url) {
        std::memcpy(c->redirect_url, c->header_value.data, n);
        c->redirect_url[n] = '\0';
        c->redirect_pending = 1;
        stop = 1;
      }
    } else if (EqualsNoCase(c->header_name, "content-length")) {
      c->expected_length = LeadingDecimal(c->header_value);
    }
  }
  c->header_name.length = 0;
  c->header_value.length = 0;
  return stop;
}

int OnStatus(void *user, int status_code) {
  Client(user)->status_code = static_cast<uint16_t>(status_code);
  return 0;
}

int OnHeaderName(void *user, const char *at, size_t n) {
  http_client *c = Client(user);
  if (c->header_state == 2 && FinishPair(c)) return 1;
  if (!TextAppend(&c->header_name, at, n)) {
    c->too_large = 1;
    return 1;
  }
  c->header_state = 1;
  return 0;
}

int OnHeaderValue(void *user, const char *at, size_t n) {
  http_client *c = Client(user);
  if (c->header_state != 1 && c->header_state != 2) return 0;
  if (!TextAppend(&c->header_value, at, n)) {
    c->too_large = 1;
    return 1;
  }
  c->header_state = 2;
  return 0;
}

// A header line ended: its pair is finished here rather than when the next
// name starts, so a redirect is taken at the same byte however the answer
// arrived.
int OnHeaderLineComplete(void *user) {
  http_client *c = Client(user);
  return c->header_state == 2 ? FinishPair(c) : 0;
}

int OnHeadersComplete(void *user) {
  http_client *c = Client(user);
  int stop = c->header_state == 2 ? FinishPair(c) : 0;
  TextFree(&c->header_name);
  TextFree(&c->header_value);
  c->header_state = 3;
  if (stop) return 1;
  if (c->expected_length > kHttpMaxBody) {
    c->too_large = 1;
    return 1;
  }
  if (!http_response_parser_length_delimited(&c->parser)) c->expected_length = 0;
  return 0;
}

// Makes room for `needed` body bytes plus the closing NUL.
bool ReserveBody(http_client *c, long needed) {
  if (needed + 1 <= c->body_capacity) return true;
  long capacity = c->body_capacity ? c->body_capacity : needed + 1;
  while (capacity < needed + 1) capacity *= 2;
  if (capacity > kHttpMaxBody + 1) capacity = kHttpMaxBody + 1;
  char *grown = static_cast<char *>(std::realloc(c->body, static_cast<size_t>(capacity)));
  if (!grown) return false;
  std::memset(grown + c->body_capacity, 0, static_cast<size_t>(capacity - c->body_capacity));
  c->body = grown;
  c->body_capacity = capacity;
  return true;
}

int OnBody(void *user, const char *at, size_t n) {
  http_client *c = Client(user);
  if (c->expected_length > 0 && c->body_length + static_cast<long>(n) > c->expected_length) {
    n = static_cast<size_t>(c->expected_length - c->body_length);  // never past the announced length
  }
  long needed = c->body_length + static_cast<long>(n);
  if (needed > kHttpMaxBody) {
    c->too_large = 1;
    return 1;
  }
  long first = c->body ? needed : (c->expected_length > 0 ? c->expected_length : needed);
  if (!ReserveBody(c, first)) {
    c->too_large = 1;
    return 1;
  }
  std::memcpy(c->body + c->body_length, at, n);
  c->body_length = static_cast<int>(needed);
  return 0;
}

const http_response_events kEvents = {OnStatus,          OnHeaderName, OnHeaderValue, OnHeaderLineComplete,
                                      OnHeadersComplete, OnBody,       nullptr};

int Timeout(const http_client *c) { return c->timeout > 0 ? c->timeout : kHttpDefaultTimeoutMs; }

void CloseConnection(http_client *c) {
  if (c->tls) http_tls_close(c->tls, Timeout(c));
  c->tls = nullptr;
  if (c->socket_open) http_socket_close(c->socket_fd);
  c->socket_open = 0;
  c->socket_fd = -1;
}

// Step 1: everything of the previous request goes, except the redirect URL.
void ResetRecord(http_client *c) {
  std::free(c->body);
  c->body = nullptr;
  c->body_capacity = 0;
  TextFree(&c->header_name);
  TextFree(&c->header_value);
  CloseConnection(c);
  c->redirect_pending = 0;
  c->body_length = 0;
  c->expected_length = 0;
  c->header_state = 0;
  c->status_code = 0;
  c->too_large = 0;
  c->result = 0;
  if (c->timeout == 0) c->timeout = kHttpDefaultTimeoutMs;
  http_response_parser_init(&c->parser);
}

bool SchemeIs(const std::string &scheme, const char *name) {
  if (scheme.size() != std::strlen(name)) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    char ch = scheme[i];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    if (ch != name[i]) return false;
  }
  return true;
}

// The time the next wait may take: the time-out, cut short by the deadline;
// -1 once the deadline has passed.
int Budget(const http_client *c) { return http_wait_ms(Timeout(c), c->deadline_ms); }

int Connect(http_client *c, const http_url &url) {
  int port;
  if (SchemeIs(url.scheme, "http")) {
    port = 80;
    c->secure = 0;
  } else if (SchemeIs(url.scheme, "https")) {
    port = 443;
    c->secure = 1;
  } else {
    return HTTP_ERR_SCHEME;
  }
  if (url.port >= 0) port = url.port;
  if (url.host.empty()) return HTTP_ERR_NO_HOST;
  int fd = -1;
  if (Budget(c) < 0) return HTTP_ERR_READ;
  int result = http_socket_connect(url.host.c_str(), port, Budget(c), &fd);
  if (result != 0) return result;
  c->socket_fd = fd;
  c->socket_open = 1;
  if (!c->secure) return 0;
  std::string host = url.host;
  if (host.size() > 2 && host.front() == '[') host = host.substr(1, host.size() - 2);
  const int budget = Budget(c);
  if (budget < 0) return HTTP_ERR_READ;
  return http_tls_handshake(fd, host.c_str(), budget, &c->tls) == 0 ? 0 : HTTP_ERR_TLS;
}

int WriteAll(http_client *c, const char *data, size_t n) {
  if (c->tls) return http_tls_write_all(c->tls, data, n, Timeout(c), c->deadline_ms);
  return http_socket_write_all(c->socket_fd, data, n, Timeout(c), c->deadline_ms);
}

long Read(http_client *c, char *buf, size_t n, bool wait_all) {
  if (c->tls) return http_tls_read(c->tls, buf, n, Timeout(c), wait_all, c->deadline_ms);
  return http_socket_read(c->socket_fd, buf, n, Timeout(c), wait_all, c->deadline_ms);
}

// The request bytes, sent in one write so that no piece waits on the
// peer's acknowledgement of the one before.
int WriteRequest(http_client *c, const http_url &url, const char *header, int header_len) {
  std::string request = "GET ";
  request += url.path.empty() ? "/" : url.path;
  if (url.has_query) request += "?" + url.query;
  request += " HTTP/1.1\r\nHost:" + url.host;
  request.append(kFixedHeaderBlock, sizeof(kFixedHeaderBlock) - 1);
  if (header && header_len > 0) request.append(header, static_cast<size_t>(header_len));
  request += "\r\n";
  return WriteAll(c, request.data(), request.size()) == 0 ? 0 : HTTP_ERR_WRITE;
}

// Fast case: the rest of a length-delimited body straight into its buffer.
bool CanReadBodyDirectly(const http_client *c) {
  return c->header_state == 3 && c->body && c->expected_length > 0 &&
         http_response_parser_length_delimited(&c->parser) && !c->redirect_pending;
}

int ReadAnswer(http_client *c) {
  char block[kHttpReadBlock];
  for (;;) {
    if (CanReadBodyDirectly(c)) {
      long want = c->expected_length - c->body_length;
      long n = want > 0 ? Read(c, c->body + c->body_length, static_cast<size_t>(want), true) : 0;
      if (n < 0) return HTTP_ERR_READ;
      c->body_length += static_cast<int>(n);
      return 0;
    }
    long n = Read(c, block, sizeof(block), false);
    if (n < 0) return HTTP_ERR_READ;
    if (n == 0) {
      http_response_parser_finish(&c->parser, &kEvents, c);
      return 0;  // the peer closed; a short body is still an answer
    }
    int step = http_client_feed(c, block, static_cast<size_t>(n));
    if (step != 0) return step == 1 ? 0 : step;
  }
}

int RunOnce(http_client *c, const std::string &url_text, http_url *url, const std::string &header) {
  ResetRecord(c);
  if (http_url_parse(url_text.data(), url_text.size(), url) != 0) return HTTP_ERR_URL;
  int result = Connect(c, *url);
  if (result == 0) result = WriteRequest(c, *url, header.data(), static_cast<int>(header.size()));
  if (result == 0) result = ReadAnswer(c);
  return result;
}

}  // namespace

int http_client_feed(http_client *c, const char *data, size_t length) {
  size_t used = http_response_parser_execute(&c->parser, &kEvents, c, data, length);
  if (c->redirect_pending) return 1;
  if (c->too_large || c->parser.error == HTTP_PARSE_HEADER_OVERFLOW) return HTTP_ERR_TOO_LARGE;
  if (http_response_parser_complete(&c->parser)) return 1;
  if (used < length) return HTTP_ERR_RESPONSE;
  return 0;
}

http_client *http_client_create(int timeout_ms) {
  http_client *c = static_cast<http_client *>(std::calloc(1, sizeof(http_client)));
  if (c) c->timeout = timeout_ms;
  return c;
}

namespace {

// Where the next hop goes, or the result that ends the request there. The
// header loses its credentials when the hop leaves the host.
int NextHop(const http_client *c, const http_url &from, std::string &target, std::string &header) {
  target = http_url_resolve_redirect(from, c->redirect_url);
  http_url to;
  if (http_url_parse(target.data(), target.size(), &to) != 0) return 0;  // the next run reports it
  switch (http_redirect_check(from, to)) {
    case HttpRedirectStep::kRefuseDowngrade:
      DTU_LOG("redirect from %s to plain http refused: %s.", from.host.c_str(), http_url_for_log(target).c_str());
      return HTTP_ERR_INSECURE_REDIRECT;
    case HttpRedirectStep::kFollowWithoutCredentials:
      header = http_header_without_credentials(header);
      return 0;
    case HttpRedirectStep::kFollow:
      return 0;
  }
  return 0;
}

int RunWithRedirects(http_client *c, std::string target, std::string header) {
  for (int redirects = 0;; ++redirects) {
    http_url parsed;
    int result = RunOnce(c, target, &parsed, header);
    if (result != 0 || !c->redirect_pending) return result;
    if (redirects == kHttpMaxRedirects) {
      DTU_LOG("more than %d redirects in a row, last to %s.", kHttpMaxRedirects,
              http_url_for_log(c->redirect_url).c_str());
      return HTTP_ERR_REDIRECT_LIMIT;
    }
    result = NextHop(c, parsed, target, header);
    if (result != 0) return result;
  }
}

}  // namespace

int http_client_request(http_client *c, const char *url, const char *header, int header_len) {
  if (!c) return HTTP_ERR_ALLOC;
  const size_t length = header && header_len > 0 ? static_cast<size_t>(header_len) : 0;
  int result = 0;
  if (!http_header_text_is_safe(header, length)) {
    DTU_LOG("request not sent: its header text holds a line break or NUL inside a line.");
    result = HTTP_ERR_WRITE;
  } else {
    c->deadline_ms = http_now_ms() + g_request_deadline.load();
    result = RunWithRedirects(c, url ? url : "", std::string(header ? header : "", length));
    // Whatever stage the deadline cut short, the answer did not come in time.
    if (result != 0 && http_wait_ms(1, c->deadline_ms) < 0) result = HTTP_ERR_READ;
  }
  if (c->body) c->body[c->body_length] = '\0';
  c->result = static_cast<int8_t>(result);
  return result;
}

int http_client_get(const char *url, const char *header, int header_len, char *answer, int answer_size) {
  http_client *c = http_client_create(http_client_default_timeout());
  if (!c) return HTTP_ERR_ALLOC;
  c->method = 0;
  int result = http_client_request(c, url, header, header_len);
  if (result != 0) {
    int stored = c->result ? c->result : result;
    http_client_free(c);
    return stored;
  }
  if (answer && answer_size > 0) {
    size_t n = c->body ? static_cast<size_t>(c->body_length) : 0;
    if (n > static_cast<size_t>(answer_size - 1)) n = static_cast<size_t>(answer_size - 1);
    if (n) std::memcpy(answer, c->body, n);
    answer[n] = '\0';
  }
  http_client_free(c);
  return 0;
}

void http_client_free(http_client *c) {
  if (!c) return;
  CloseConnection(c);
  TextFree(&c->header_name);
  TextFree(&c->header_value);
  std::free(c->body);
  std::free(c->redirect_url);
  std::free(c);
}

void http_client_set_tls(const char *ca_file, int verify) { http_tls_configure(ca_file, verify); }

void http_client_set_default_timeout(int timeout_ms) {
  g_default_timeout = timeout_ms > 0 ? timeout_ms : kHttpDefaultTimeoutMs;
}

int http_client_default_timeout(void) { return g_default_timeout; }

void http_client_set_request_deadline(int deadline_ms) {
  g_request_deadline = deadline_ms > 0 ? deadline_ms : kHttpRequestDeadlineMs;
}
