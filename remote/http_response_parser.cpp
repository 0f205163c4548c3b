// Incremental HTTP/1.x response parser (see http_response_parser.h).
#include "remote/http_response_parser.h"

#include <cstring>

namespace {

enum State : uint8_t {
  S_STATUS,
  S_STATUS_LF,
  S_LINE_START,
  S_NAME,
  S_VALUE_OWS,
  S_VALUE,
  S_VALUE_LF,
  S_HEADERS_LF,
  S_BODY_LENGTH,
  S_BODY_CLOSE,
  S_CHUNK_SIZE,
  S_CHUNK_EXT,
  S_CHUNK_SIZE_LF,
  S_CHUNK_DATA,
  S_CHUNK_DATA_END,
  S_CHUNK_DATA_LF,
  S_TRAILER_START,
  S_TRAILER,
  S_TRAILER_END_LF,
  S_DONE,
  S_DEAD,
};

enum HeaderKind : uint8_t { H_OTHER, H_CANDIDATE, H_CONTENT_LENGTH, H_TRANSFER_ENCODING };

constexpr uint64_t kMaxLength = uint64_t(1) << 62;
constexpr uint64_t kMaxChunkSize = uint64_t(1) << 40;

bool IsTokenChar(unsigned char c) {
  if (c >= '0' && c <= '9') return true;
  if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') return true;
  return c != 0 && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool IsValueChar(unsigned char c) { return c == '\t' || (c >= 0x20 && c != 0x7F); }

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c |= 0x20;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool EqualsNoCase(const char *a, size_t a_len, const char *b) {
  size_t b_len = std::strlen(b);
  if (a_len != b_len) return false;
  for (size_t i = 0; i < a_len; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (x != y) return false;
  }
  return true;
}

struct Run {
  http_response_parser *p;
  const http_response_events *ev;
  void *user;
  bool Quiet() const { return p->interim != 0; }
  bool Fail(uint8_t error) {
    p->error = error;
    p->state = S_DEAD;
    return false;
  }
  bool Status() {
    if (Quiet() || !ev->on_status || ev->on_status(user, p->status_code) == 0) return true;
    return Fail(HTTP_PARSE_STOPPED);
  }
  bool Span(int (*cb)(void *, const char *, size_t), const char *at, size_t n) {
    if (Quiet() || !cb || cb(user, at, n) == 0) return true;
    return Fail(HTTP_PARSE_STOPPED);
  }
  bool Event(int (*cb)(void *)) {
    if (Quiet() || !cb || cb(user) == 0) return true;
    return Fail(HTTP_PARSE_STOPPED);
  }
  bool CountHeaderByte() {
    if (++p->header_bytes > kHttpMaxHeaderSection) return Fail(HTTP_PARSE_HEADER_OVERFLOW);
    return true;
  }
};

bool FinishStatusLine(Run &r) {
  http_response_parser *p = r.p;
  const char *s = p->line;
  if (p->line_length < 12 || std::memcmp(s, "HTTP/1.", 7) != 0 || s[7] < '0' || s[7] > '9' ||
      s[8] != ' ')
    return r.Fail(HTTP_PARSE_BAD_STATUS);
  int code = 0;
  for (int i = 9; i < 12; ++i) {
    if (s[i] < '0' || s[i] > '9') return r.Fail(HTTP_PARSE_BAD_STATUS);
    code = code * 10 + (s[i] - '0');
  }
  if (code < 100 || (p->line_length > 12 && s[12] != ' ')) return r.Fail(HTTP_PARSE_BAD_STATUS);
  p->status_code = static_cast<uint16_t>(code);
  p->interim = code < 200 ? 1 : 0;
  p->state = S_LINE_START;
  return r.Status();
}

// Keeps the framing headers' names and values in `line`; a long
// Transfer-Encoding value keeps only its tail, which is all that matters.
void KeepByte(http_response_parser *p, char c) {
  if (p->line_length == sizeof(p->line) - 1) {
    std::memmove(p->line, p->line + 96, p->line_length - 96);
    p->line_length -= 96;
  }
  p->line[p->line_length++] = c;
}

void ClassifyName(http_response_parser *p) {
  if (p->header_kind != H_CANDIDATE) return;
  if (EqualsNoCase(p->line, p->line_length, "content-length")) {
    p->header_kind = H_CONTENT_LENGTH;
  } else if (EqualsNoCase(p->line, p->line_length, "transfer-encoding")) {
    p->header_kind = H_TRANSFER_ENCODING;
  } else {
    p->header_kind = H_OTHER;
  }
  p->line_length = 0;
  p->length_digits = 0;
}

bool LengthByte(Run &r, unsigned char c) {
  http_response_parser *p = r.p;
  if (c >= '0' && c <= '9' && p->line_length == 0) {
    p->remaining = p->remaining * 10 + (c - '0');  // `remaining` collects the digits
    if (p->remaining > kMaxLength) return r.Fail(HTTP_PARSE_BAD_LENGTH);
    p->length_digits = 1;
    return true;
  }
  if ((c == ' ' || c == '\t') && p->length_digits) {
    p->line_length = 1;  // trailing white space: no more digits allowed
    return true;
  }
  return r.Fail(HTTP_PARSE_BAD_LENGTH);
}

bool FinishHeaderLine(Run &r) {
  http_response_parser *p = r.p;
  if (!p->value_seen && !r.Span(r.ev->on_header_value, "", 0)) return false;
  if (p->header_kind == H_CONTENT_LENGTH) {
    if (!p->length_digits) return r.Fail(HTTP_PARSE_BAD_LENGTH);
    if (p->has_length && p->content_length != p->remaining) return r.Fail(HTTP_PARSE_BAD_LENGTH);
    p->has_length = 1;
    p->content_length = p->remaining;
  } else if (p->header_kind == H_TRANSFER_ENCODING) {
    size_t n = p->line_length;
    while (n > 0 && (p->line[n - 1] == ' ' || p->line[n - 1] == '\t')) --n;
    bool ends_chunked = n >= 7 && EqualsNoCase(p->line + n - 7, 7, "chunked") &&
                        (n == 7 || p->line[n - 8] == ',' || p->line[n - 8] == ' ' ||
                         p->line[n - 8] == '\t');
    p->chunked = ends_chunked ? 1 : 0;
  }
  p->remaining = 0;
  p->line_length = 0;
  p->state = S_LINE_START;
  return r.Event(r.ev->on_header_line_complete);
}

bool FinishHeaders(Run &r) {
  http_response_parser *p = r.p;
  if (p->interim) {  // a 1xx answer: the real one follows
    http_response_parser_init(p);
    return true;
  }
  p->header_bytes = 0;
  if (!r.Event(r.ev->on_headers_complete)) return false;
  bool no_body = p->status_code == 204 || p->status_code == 304;
  if (no_body || (!p->chunked && p->has_length && p->content_length == 0)) {
    p->state = S_DONE;
    return r.Event(r.ev->on_message_complete);
  }
  if (p->chunked) {
    p->state = S_CHUNK_SIZE;
    p->content_length = 0;
    p->length_digits = 0;
  } else if (p->has_length) {
    p->state = S_BODY_LENGTH;
    p->remaining = p->content_length;
  } else {
    p->state = S_BODY_CLOSE;
  }
  return true;
}

bool ChunkSizeDone(Run &r) {
  http_response_parser *p = r.p;
  if (!p->length_digits) return r.Fail(HTTP_PARSE_BAD_CHUNK);
  if (p->content_length == 0) {
    p->state = S_TRAILER_START;
  } else {
    p->remaining = p->content_length;
    p->state = S_CHUNK_DATA;
  }
  return true;
}

// A byte of a header name (the line's first byte included).
bool NameByte(Run &r, const char *data, size_t i, size_t &span_start, unsigned char c) {
  http_response_parser *p = r.p;
  if (c == ':') {
    if (!r.Span(r.ev->on_header_name, data + span_start, i - span_start)) return false;
    ClassifyName(p);
    p->state = S_VALUE_OWS;
    return true;
  }
  if (!IsTokenChar(c)) return r.Fail(HTTP_PARSE_BAD_HEADER);
  if (p->header_kind == H_CANDIDATE) {
    if (p->line_length == 32) p->header_kind = H_OTHER;
    else p->line[p->line_length++] = static_cast<char>(c);
  }
  return true;
}

// A byte of a header value (its first byte after the white space included).
bool ValueByte(Run &r, const char *data, size_t i, size_t &span_start, unsigned char c) {
  http_response_parser *p = r.p;
  if (c == '\r' || c == '\n') {
    if (i > span_start) {
      p->value_seen = 1;
      if (!r.Span(r.ev->on_header_value, data + span_start, i - span_start)) return false;
    }
    if (c == '\n') return FinishHeaderLine(r);
    p->state = S_VALUE_LF;
    return true;
  }
  if (!IsValueChar(c)) return r.Fail(HTTP_PARSE_BAD_HEADER);
  if (p->header_kind == H_CONTENT_LENGTH) return LengthByte(r, c);
  if (p->header_kind == H_TRANSFER_ENCODING) KeepByte(p, static_cast<char>(c));
  return true;
}

// Header section: one byte at a time, spans of names and values reported
// as they end or when the input ends.
bool HeaderByte(Run &r, const char *data, size_t i, size_t &span_start) {
  http_response_parser *p = r.p;
  unsigned char c = static_cast<unsigned char>(data[i]);
  if (!r.CountHeaderByte()) return false;
  switch (p->state) {
    case S_STATUS:
      if (c == '\r') {
        p->state = S_STATUS_LF;
      } else if (c == '\n') {
        return FinishStatusLine(r);
      } else if (p->line_length < sizeof(p->line) - 1) {
        p->line[p->line_length++] = static_cast<char>(c);
      }
      return true;
    case S_STATUS_LF:
      if (c != '\n') return r.Fail(HTTP_PARSE_BAD_STATUS);
      return FinishStatusLine(r);
    case S_LINE_START:
      if (c == '\r') {
        p->state = S_HEADERS_LF;
        return true;
      }
      if (c == '\n') return FinishHeaders(r);
      p->state = S_NAME;
      p->header_kind = H_CANDIDATE;
      p->value_seen = 0;
      p->line_length = 0;
      span_start = i;
      return c == ':' ? r.Fail(HTTP_PARSE_BAD_HEADER) : NameByte(r, data, i, span_start, c);
    case S_NAME:
      return NameByte(r, data, i, span_start, c);
    case S_VALUE_OWS:
      if (c == ' ' || c == '\t') return true;
      p->state = S_VALUE;
      span_start = i;
      return ValueByte(r, data, i, span_start, c);
    case S_VALUE:
      return ValueByte(r, data, i, span_start, c);
    case S_VALUE_LF:
    case S_HEADERS_LF:
      if (c != '\n') return r.Fail(HTTP_PARSE_BAD_HEADER);
      return p->state == S_VALUE_LF ? FinishHeaderLine(r) : FinishHeaders(r);
    default:
      return r.Fail(HTTP_PARSE_BAD_HEADER);
  }
}

// Chunk size lines, chunk ends and the trailer section.
bool ChunkFramingByte(Run &r, unsigned char c) {
  http_response_parser *p = r.p;
  switch (p->state) {
    case S_CHUNK_SIZE: {
      int digit = HexValue(c);
      if (digit >= 0) {
        p->content_length = p->content_length * 16 + digit;
        if (p->content_length > kMaxChunkSize) return r.Fail(HTTP_PARSE_BAD_CHUNK);
        p->length_digits = 1;
        return true;
      }
      if (c == '\r') {
        p->state = S_CHUNK_SIZE_LF;
        return true;
      }
      if (c == '\n') return ChunkSizeDone(r);
      if (c == ';' || c == ' ' || c == '\t') {
        p->state = S_CHUNK_EXT;
        return true;
      }
      return r.Fail(HTTP_PARSE_BAD_CHUNK);
    }
    case S_CHUNK_EXT:
      if (c == '\r') p->state = S_CHUNK_SIZE_LF;
      else if (c == '\n') return ChunkSizeDone(r);
      else if (!IsValueChar(c)) return r.Fail(HTTP_PARSE_BAD_CHUNK);
      return r.CountHeaderByte();
    case S_CHUNK_SIZE_LF:
      if (c != '\n') return r.Fail(HTTP_PARSE_BAD_CHUNK);
      return ChunkSizeDone(r);
    case S_CHUNK_DATA_END:
      if (c == '\r') {
        p->state = S_CHUNK_DATA_LF;
        return true;
      }
      [[fallthrough]];
    case S_CHUNK_DATA_LF:
      if (c != '\n') return r.Fail(HTTP_PARSE_BAD_CHUNK);
      p->state = S_CHUNK_SIZE;
      p->content_length = 0;
      p->length_digits = 0;
      return true;
    case S_TRAILER_START:
      if (c == '\r') {
        p->state = S_TRAILER_END_LF;
        return true;
      }
      if (c == '\n') {
        p->state = S_DONE;
        return r.Event(r.ev->on_message_complete);
      }
      p->state = S_TRAILER;
      return r.CountHeaderByte();
    case S_TRAILER:
      if (c == '\n') p->state = S_TRAILER_START;
      return r.CountHeaderByte();
    case S_TRAILER_END_LF:
      if (c != '\n') return r.Fail(HTTP_PARSE_BAD_CHUNK);
      p->state = S_DONE;
      return r.Event(r.ev->on_message_complete);
    default:
      return r.Fail(HTTP_PARSE_BAD_CHUNK);
  }
}

bool InHeaderSection(uint8_t state) { return state <= S_HEADERS_LF; }

}  // namespace

void http_response_parser_init(http_response_parser *parser) {
  std::memset(parser, 0, sizeof(*parser));
  parser->state = S_STATUS;
}

size_t http_response_parser_execute(http_response_parser *p, const http_response_events *events,
                                    void *user, const char *data, size_t length) {
  static const http_response_events kNoEvents = {};
  Run r{p, events ? events : &kNoEvents, user};
  size_t i = 0;
  while (i < length) {
    if (p->state == S_DEAD) return i;
    if (p->state == S_DONE) {
      if (p->error == HTTP_PARSE_OK) p->error = HTTP_PARSE_AFTER_END;
      return i;
    }
    if (InHeaderSection(p->state)) {
      size_t span_start = i;
      for (; i < length && InHeaderSection(p->state); ++i) {
        if (!HeaderByte(r, data, i, span_start)) return i;
      }
      if (p->state == S_NAME && i > span_start) {
        if (!r.Span(r.ev->on_header_name, data + span_start, i - span_start)) return i;
      } else if (p->state == S_VALUE && i > span_start) {
        p->value_seen = 1;
        if (!r.Span(r.ev->on_header_value, data + span_start, i - span_start)) return i;
      }
      continue;
    }
    if (p->state == S_BODY_CLOSE || p->state == S_BODY_LENGTH || p->state == S_CHUNK_DATA) {
      size_t n = length - i;
      if (p->state != S_BODY_CLOSE && n > p->remaining) n = static_cast<size_t>(p->remaining);
      const char *at = data + i;
      i += n;
      if (p->state != S_BODY_CLOSE) p->remaining -= n;
      if (p->state == S_CHUNK_DATA && p->remaining == 0) p->state = S_CHUNK_DATA_END;
      bool done = p->state == S_BODY_LENGTH && p->remaining == 0;
      if (done) p->state = S_DONE;
      if (!r.Span(r.ev->on_body, at, n)) return i;
      if (done && !r.Event(r.ev->on_message_complete)) return i;
      continue;
    }
    if (!ChunkFramingByte(r, static_cast<unsigned char>(data[i]))) return i;
    ++i;
  }
  return i;
}

int http_response_parser_finish(http_response_parser *p, const http_response_events *events,
                                void *user) {
  if (p->state == S_BODY_CLOSE) {
    p->state = S_DONE;
    static const http_response_events kNoEvents = {};
    const http_response_events *ev = events ? events : &kNoEvents;
    if (ev->on_message_complete) ev->on_message_complete(user);
    return 1;
  }
  return p->state == S_DONE ? 1 : 0;
}

int http_response_parser_complete(const http_response_parser *p) { return p->state == S_DONE; }

int http_response_parser_length_delimited(const http_response_parser *p) {
  return !p->chunked && p->has_length;
}
