// A small HTTP/1.1 client for GET requests to the cloud platform. One request
// runs on one fresh connection ("Connection: close") whose every wait is
// bounded by the request's time-out; the answer body is collected in memory.
// Redirects are followed, bodies may be length-delimited, chunked or end with
// the connection. HTTPS goes through OpenSSL (remote/http_tls.h).
//
// Result codes (http_client_request returns them and keeps them in `result`):
//    0  success (whatever the HTTP status: a 401 with a body is a success)
//    2  the request record cannot be allocated
//    4  the answer is not a valid HTTP/1.1 response
//    5  the URL cannot be parsed
//    6  the scheme is neither "http://" nor "https://" (any case)
//    7  the URL has no host
//    9  the host does not resolve to an IPv4 address
//   10  no socket can be created
//   11  the linger option cannot be set
//   12  the socket cannot be put into non-blocking mode
//   13  the connection attempt failed
//   14  the connection did not complete within the time-out
//   16  writing the request failed
//   17  reading the answer failed or timed out
//   24  the TLS handshake failed or timed out, or the server's certificate
//       was rejected
//   25  more than kHttpMaxRedirects redirects in a row
//   26  the answer exceeds the client's bounds: a body (announced or sent)
//       over kHttpMaxBody bytes, or a header field over 65535 bytes
//   27  a redirect from https to plain http (nothing is sent in clear)
//
// Besides the time-out per wait, a whole request (redirects included) has an
// overall deadline of kHttpRequestDeadlineMs: a server that drips its answer
// a byte at a time ends it with result 17. A redirect is followed within the
// same scheme or from http to https; when it leads to another host or port,
// the Authorization header stays behind. Extra header text with a CR, LF or
// NUL anywhere but at the end of its lines is not sent (result 16).
#pragma once

#include <cstddef>
#include <cstdint>

#include "remote/http_response_parser.h"

constexpr int kHttpDefaultTimeoutMs = 15000;
constexpr int kHttpMaxRedirects = 10;
constexpr long kHttpMaxBody = 16L * 1024 * 1024;
constexpr int kHttpReadBlock = 4096;
constexpr int kHttpRequestDeadlineMs = 30000;

enum http_result_code {
  HTTP_OK = 0,
  HTTP_ERR_ALLOC = 2,
  HTTP_ERR_RESPONSE = 4,
  HTTP_ERR_URL = 5,
  HTTP_ERR_SCHEME = 6,
  HTTP_ERR_NO_HOST = 7,
  HTTP_ERR_RESOLVE = 9,
  HTTP_ERR_SOCKET = 10,
  HTTP_ERR_LINGER = 11,
  HTTP_ERR_NONBLOCK = 12,
  HTTP_ERR_CONNECT = 13,
  HTTP_ERR_CONNECT_TIMEOUT = 14,
  HTTP_ERR_WRITE = 16,
  HTTP_ERR_READ = 17,
  HTTP_ERR_TLS = 24,
  HTTP_ERR_REDIRECT_LIMIT = 25,
  HTTP_ERR_TOO_LARGE = 26,
  HTTP_ERR_INSECURE_REDIRECT = 27,
};

struct tls_conn;

// A header name or value being collected: starts at 128 bytes, grows as
// needed, never past 65535 bytes.
struct http_text_buffer {
  char *data;
  uint16_t length;
  uint16_t capacity;
};

// One request record. Create it zero-filled (calloc or http_client_create)
// and release it with http_client_free.
typedef struct http_client {
  int socket_fd;      // valid while socket_open
  int socket_open;
  int secure;         // 1 for "https://"
  tls_conn *tls;      // TLS state of the connection, or null
  int timeout;        // milliseconds per wait; 0 means 15000
  int method;         // 0 = GET, the only method
  int8_t result;      // result code of the last request
  uint16_t status_code;
  uint8_t header_state;  // 0 nothing yet, 1 name, 2 value, 3 headers complete
  http_text_buffer header_name;
  http_text_buffer header_value;
  char *redirect_url;    // value of the last "Location" header
  int redirect_pending;
  long expected_length;  // "Content-Length", 0 if none
  char *body;            // NUL after the last byte once the request returns
  int body_length;
  long body_capacity;
  int too_large;         // the answer broke a bound (result 26)
  int64_t deadline_ms;   // http_now_ms() time the request must end by; 0: none
  http_response_parser parser;
} http_client;

// A zero-filled record with the given time-out, or null.
http_client *http_client_create(int timeout_ms);

// Runs one GET request (following redirects). `header` is extra header text,
// complete lines each ending in CR LF, or null. On return the body (possibly
// partial) stays in the record.
int http_client_request(http_client *client, const char *url, const char *header, int header_len);

// One request into `answer` (at most answer_size - 1 bytes, always
// NUL-terminated): 0 or the result code.
int http_client_get(const char *url, const char *header, int header_len, char *answer, int answer_size);

// Closes the connection, frees the buffers and the record itself.
void http_client_free(http_client *client);

// One step of the read loop: hands a block of answer bytes to the record's
// parser. 0 to read on, 1 when the answer is complete or a redirect was found,
// or the result code that ends the request (4, 26). A record fresh from
// http_client_create is ready for it (the fuzz targets drive it directly).
int http_client_feed(http_client *client, const char *data, size_t length);

// Process-wide trust settings for HTTPS: a PEM file of extra trusted CA
// certificates (null or empty for none) and whether certificates are checked.
void http_client_set_tls(const char *ca_file, int verify);

// The time-out http_client_get and the platform calls give their requests:
// 15000 ms unless changed here (tests shorten it; 0 restores the default).
void http_client_set_default_timeout(int timeout_ms);
int http_client_default_timeout(void);

// The overall deadline of one request: kHttpRequestDeadlineMs unless changed
// here (tests shorten it; 0 restores the default).
void http_client_set_request_deadline(int deadline_ms);
