// Incremental HTTP/1.x response parser. It is fed the answer's bytes in
// pieces of any size and raises events as it recognises the status line,
// each header name and value, the end of the header section, body bytes and
// the end of the message. It frames the body itself (Content-Length, chunked
// transfer coding, or up to the end of the connection) and holds no buffer of
// the message: names, values and body bytes are handed over as spans of the
// input.
#pragma once

#include <cstddef>
#include <cstdint>

// Every event returns 0 to go on or non-zero to stop the parser at once.
struct http_response_events {
  int (*on_status)(void *user, int status_code);
  // A header name may come in several spans. The value of each header line
  // always follows its name as one or more spans (one empty span when the
  // value is empty), so names and values strictly alternate.
  int (*on_header_name)(void *user, const char *at, size_t length);
  int (*on_header_value)(void *user, const char *at, size_t length);
  // The header line whose name and value came last has ended. Raised at one
  // byte (the line's LF), so what it triggers never depends on how the input
  // was cut into pieces.
  int (*on_header_line_complete)(void *user);
  int (*on_headers_complete)(void *user);
  int (*on_body)(void *user, const char *at, size_t length);
  int (*on_message_complete)(void *user);
};

enum http_parse_error : uint8_t {
  HTTP_PARSE_OK = 0,
  HTTP_PARSE_STOPPED,          // an event asked to stop
  HTTP_PARSE_BAD_STATUS,       // the status line is not "HTTP/1.x NNN ..."
  HTTP_PARSE_BAD_HEADER,       // a header line breaks the field syntax
  HTTP_PARSE_HEADER_OVERFLOW,  // the header section (or trailer) is too long
  HTTP_PARSE_BAD_LENGTH,       // Content-Length is not a number or disagrees
  HTTP_PARSE_BAD_CHUNK,        // a chunk size line or chunk end is malformed
  HTTP_PARSE_AFTER_END,        // bytes after the end of the message
};

// Bound of the status line, the header section and the trailer section.
constexpr size_t kHttpMaxHeaderSection = 256 * 1024;

struct http_response_parser {
  uint8_t state;
  uint8_t error;
  uint8_t interim;           // a 1xx answer whose events are suppressed
  uint8_t chunked;           // Transfer-Encoding ends in "chunked"
  uint8_t has_length;        // a Content-Length was seen
  uint8_t header_kind;       // which framing header is being read
  uint8_t value_seen;        // the current header line has had a value span
  uint8_t length_digits;     // digits seen in the current Content-Length
  uint16_t status_code;
  uint16_t line_length;      // bytes held in `line`
  uint64_t content_length;   // announced length, or the current chunk size
  uint64_t remaining;        // body or chunk bytes still to come
  uint64_t header_bytes;     // bytes of the header (or trailer) section so far
  char line[128];            // status line prefix / framing header name and value
};

void http_response_parser_init(http_response_parser *parser);

// Feeds `length` bytes; returns how many were consumed. Fewer than `length`
// means the parser stopped: `parser->error` says why, or it is HTTP_PARSE_OK
// with the message complete (the rest are bytes after the message).
size_t http_response_parser_execute(http_response_parser *parser, const http_response_events *events,
                                    void *user, const char *data, size_t length);

// Tells the parser the peer closed the connection. A body delimited by the
// close ends here (on_message_complete is raised). Returns 1 when the message
// is complete, 0 when the answer was cut short.
int http_response_parser_finish(http_response_parser *parser, const http_response_events *events,
                                void *user);

int http_response_parser_complete(const http_response_parser *parser);
// 1 when the body is delimited by Content-Length (not chunked, not by close).
int http_response_parser_length_delimited(const http_response_parser *parser);
