// The response parser and the URL parser on their own: framings, events,
// malformed input, and the same result whatever the pieces the bytes come in.
#include <gtest/gtest.h>

#include <cstring>

#include "remote/http_response_parser.h"
#include "remote/http_url.h"

namespace {

// Collects the events as text: "S200 N<name> V<value> H B<body> M".
struct Trace {
  std::string text;
  static Trace &Of(void *user) { return *static_cast<Trace *>(user); }
  static int Status(void *u, int code) { Of(u).text += "S" + std::to_string(code) + " "; return 0; }
  static int Name(void *u, const char *at, size_t n) { Of(u).Piece('N', at, n); return 0; }
  static int Value(void *u, const char *at, size_t n) { Of(u).Piece('V', at, n); return 0; }
  static int Headers(void *u) { Of(u).text += "H "; return 0; }
  static int Body(void *u, const char *at, size_t n) { Of(u).Piece('B', at, n); return 0; }
  static int Complete(void *u) { Of(u).text += "M"; return 0; }
  // Spans of one kind that follow each other are joined.
  void Piece(char kind, const char *at, size_t n) {
    if (!text.empty() && last_ == kind) {
      text.insert(text.size() - 1, std::string(at, n));
      return;
    }
    text += kind + std::string(at, n) + " ";
    last_ = kind;
  }
  char last_ = 0;
};

const http_response_events kTraceEvents = {Trace::Status, Trace::Name,    Trace::Value,   nullptr,
                                           Trace::Headers, Trace::Body, Trace::Complete};

// Feeds `bytes` cut at `cut` (0: in one piece); returns trace + parser state.
std::string Parse(const std::string &bytes, size_t cut = 0, bool close = true) {
  http_response_parser p;
  http_response_parser_init(&p);
  Trace trace;
  size_t used = 0;
  if (cut > 0 && cut < bytes.size()) used = http_response_parser_execute(&p, &kTraceEvents, &trace, bytes.data(), cut);
  if (used == cut || cut == 0 || cut >= bytes.size()) {
    size_t from = (cut > 0 && cut < bytes.size()) ? cut : 0;
    used += http_response_parser_execute(&p, &kTraceEvents, &trace, bytes.data() + from, bytes.size() - from);
  }
  if (close && used == bytes.size()) http_response_parser_finish(&p, &kTraceEvents, &trace);
  return trace.text + (used == bytes.size() ? "" : " !" + std::to_string(p.error));
}

struct Case {
  const char *name;
  std::string bytes;
  std::string trace;
};

TEST(HttpResponseParser, FramingsAndEventsWhateverThePieces) {
  const Case cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", "S200 NContent-Length V5 H Bhello M"},
      {"empty value keeps names apart", "HTTP/1.1 302 Found\r\nX-Empty:\r\nLocation: /a \r\n\r\n",
       "S302 NX-Empty V NLocation V/a  H M"},
      {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n3;x=y\r\nabc\r\n0\r\nT: 1\r\n\r\n",
       "S200 NTransfer-Encoding Vgzip, Chunked H Babc M"},
      {"close delimited", "HTTP/1.0 200 OK\nServer: x\n\nuntil close", "S200 NServer Vx H Buntil close M"},
      {"no body on 204", "HTTP/1.1 204 No Content\r\nContent-Length: 10\r\n\r\n", "S204 NContent-Length V10 H M"},
      {"interim answer skipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx",
       "S200 NContent-Length V1 H Bx M"},
      {"no reason phrase", "HTTP/1.1 401\r\nContent-Length: 0\r\n\r\n", "S401 NContent-Length V0 H M"},
  };
  for (const Case &c : cases) {
    for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      std::string trace = Parse(c.bytes, cut);
      // A body or value split by the cut arrives as two spans; Trace joins them.
      EXPECT_EQ(trace, c.trace) << c.name << " cut at " << cut;
    }
  }
}

TEST(HttpResponseParser, MalformedAnswersStopTheParser) {
  EXPECT_NE(Parse("HTTP/2 200 OK\r\n\r\n").find("!2"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 20 OK\r\n\r\n").find("!2"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n").find("!3"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\n folded\r\n\r\n").find("!3"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\n").find("!5"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n").find("!5"),
            std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n").find("!6"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab").find("!6"), std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffff\r\n").find("!6"),
            std::string::npos);
  EXPECT_NE(Parse("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nab").find("!7"), std::string::npos);
}

TEST(HttpResponseParser, HeaderSectionIsBounded) {
  std::string endless = "HTTP/1.1 200 OK\r\n";
  while (endless.size() <= kHttpMaxHeaderSection) endless += "X-Filler: 0123456789abcdef\r\n";
  EXPECT_NE(Parse(endless, 0, false).find("!4"), std::string::npos);
}

TEST(HttpResponseParser, StopFromAnEventEndsParsing) {
  http_response_parser p;
  http_response_parser_init(&p);
  http_response_events events = {};
  events.on_headers_complete = [](void *) { return 1; };
  std::string bytes = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc";
  size_t used = http_response_parser_execute(&p, &events, nullptr, bytes.data(), bytes.size());
  EXPECT_LT(used, bytes.size());
  EXPECT_EQ(p.error, HTTP_PARSE_STOPPED);
}

TEST(HttpUrl, PartsAsWritten) {
  http_url u;
  const char *full = "HTTPS://user:pw@Host.example:8002/a/b?x=1&y=%41#frag";
  ASSERT_EQ(http_url_parse(full, std::strlen(full), &u), 0);
  EXPECT_EQ(u.scheme, "HTTPS");
  EXPECT_EQ(u.userinfo, "user:pw");
  EXPECT_EQ(u.host, "Host.example");
  EXPECT_EQ(u.port, 8002);
  EXPECT_EQ(u.path, "/a/b");
  EXPECT_EQ(u.query, "x=1&y=%41");
  EXPECT_EQ(u.fragment, "frag");
  ASSERT_EQ(http_url_parse("http://[::1]:80", 15, &u), 0);
  EXPECT_EQ(u.host, "[::1]");
  EXPECT_EQ(u.path, "");
  EXPECT_FALSE(u.has_query);
  ASSERT_EQ(http_url_parse("http://h:/", 10, &u), 0);
  EXPECT_EQ(u.port, -1);
}

TEST(HttpUrl, RejectedUrls) {
  for (const char *bad : {"http://", "https:///x", "http://h:65536/", "http://h:8a/", "http://h/a b",
                          "http://h/%zz", "http://[::1/", "http://[]/", "mailto:someone", "http://h/\x7f",
                          "http://h/<x>"}) {
    http_url u;
    EXPECT_EQ(http_url_parse(bad, std::strlen(bad), &u), 5) << bad;
  }
}

TEST(HttpUrl, RedirectTargets) {
  http_url base;
  ASSERT_EQ(http_url_parse("https://h:8002/a?q", 18, &base), 0);
  EXPECT_EQ(http_url_resolve_redirect(base, "/b?x"), "https://h:8002/b?x");
  EXPECT_EQ(http_url_resolve_redirect(base, "//other/c"), "https://other/c");
  EXPECT_EQ(http_url_resolve_redirect(base, "http://x/y"), "http://x/y");
}

}  // namespace
