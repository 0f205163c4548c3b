// The HTTP client against a real TLS server on loopback with scripted
// answers: the exact request bytes, redirects, body framings, certificate
// checks, time-outs and the bounds on what a server can make it hold.
#include <gtest/gtest.h>

#include <openssl/ssl.h>

#include "remote/http_client.h"
#include "tests/remote/http_test_server.h"
#include "tests/remote/remote_test_support.h"

namespace {

const std::string kFixedBlock =
    "\r\nConnection: close\r\nAccept: */*\r\nUser-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64; "
    "rv:29.0) Gecko/20100101 Firefox/29.0\r\n";

struct Result {
  int code;
  std::string body;
  int status;
};

// One request through a fresh record, as the platform calls make it.
Result Request(const std::string &url, const std::string &header = "", int timeout_ms = 5000) {
  http_client *c = http_client_create(timeout_ms);
  int code = http_client_request(c, url.c_str(), header.empty() ? nullptr : header.c_str(),
                                 static_cast<int>(header.size()));
  Result r{code, c->body ? std::string(c->body, c->body_length) : "", c->status_code};
  EXPECT_EQ(code, c->result);
  http_client_free(c);
  return r;
}

HttpTestServer::Script Reply(const std::string &bytes) {
  return [bytes](PlatformConnection &c, int) { c.Write(bytes); };
}

class HttpClientTest : public ::testing::Test {
 protected:
  void Trust(const HttpTestServer &server) { http_client_set_tls(server.CaFile().c_str(), 1); }
  void TearDown() override {
    http_client_set_tls(nullptr, 1);
    http_client_set_default_timeout(0);
  }
};

TEST_F(HttpClientTest, RequestBytesWithoutPathQueryAndHeaders) {
  HttpTestServer server(Reply(HttpTestServer::Answer(200, "ok")));
  ASSERT_TRUE(server.Ok()) << server.Error();
  Trust(server);
  Result r = Request(server.Url());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "ok");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET / HTTP/1.1\r\nHost:127.0.0.1" + kFixedBlock + "\r\n");
  EXPECT_EQ(kFixedBlock.size(), 120u);
}

TEST_F(HttpClientTest, RequestBytesWithQueryExtraHeaderAndNoFragment) {
  HttpTestServer server(Reply(HttpTestServer::Answer(200, "{}")));
  ASSERT_TRUE(server.Ok()) << server.Error();
  Trust(server);
  Result r = Request(server.Url("/vorda/x?a=1&b=%20#frag"), "Authorization: Bearer t0k\r\n");
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET /vorda/x?a=1&b=%20 HTTP/1.1\r\nHost:127.0.0.1" + kFixedBlock +
                                      "Authorization: Bearer t0k\r\n\r\n");
}

TEST_F(HttpClientTest, SchemeInCapitalsIsSecureAndPlainHttpWorksToo) {
  HttpTestServer tls(Reply(HttpTestServer::Answer(200, "secure")));
  ASSERT_TRUE(tls.Ok());
  Trust(tls);
  Result r = Request("HTTPS://127.0.0.1:" + std::to_string(tls.Port()) + "/");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "secure");
  EXPECT_FALSE(tls.Ciphers().at(0).empty());

  PlatformTlsServer::Options plain;
  plain.tls = false;
  HttpTestServer http(Reply(HttpTestServer::Answer(200, "plain")), plain);
  ASSERT_TRUE(http.Ok());
  r = Request("Http://127.0.0.1:" + std::to_string(http.Port()) + "/p");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "plain");
}

TEST_F(HttpClientTest, ErrorStatusWithBodyIsASuccessWithTheBody) {
  HttpTestServer server(Reply(HttpTestServer::Answer(401, "{\"code\":401}")));
  ASSERT_TRUE(server.Ok());
  Trust(server);
  Result r = Request(server.Url("/login"));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.status, 401);
  EXPECT_EQ(r.body, "{\"code\":401}");
}

TEST_F(HttpClientTest, LocationIsRequestedAgainWhateverTheStatus) {
  std::string base;
  HttpTestServer server([&base](PlatformConnection &c, int index) {
    if (index == 0) c.Write(HttpTestServer::Answer(200, "ignored", "Location: " + base + "/second?x=1\r\n"));
    if (index == 1) c.Write(HttpTestServer::Answer(301, "", "Location: /third\r\n"));
    if (index == 2) c.Write(HttpTestServer::Answer(200, "landed"));
  });
  ASSERT_TRUE(server.Ok());
  base = server.Url();
  Trust(server);
  Result r = Request(server.Url("/first"), "X-Extra: 1\r\n");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "landed");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].rfind("GET /second?x=1 HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(requests[2].rfind("GET /third HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(requests[2].find("X-Extra: 1\r\n"), std::string::npos);  // same extra headers
}

TEST_F(HttpClientTest, RedirectLoopStopsAfterTheLimit) {
  std::string base;
  HttpTestServer server([&base](PlatformConnection &c, int) {
    c.Write(HttpTestServer::Answer(302, "", "Location: " + base + "/again\r\n"));
  });
  ASSERT_TRUE(server.Ok());
  base = server.Url();
  Trust(server);
  Result r = Request(server.Url("/again"));
  EXPECT_EQ(r.code, HTTP_ERR_REDIRECT_LIMIT);
  EXPECT_EQ(server.Requests().size(), static_cast<size_t>(kHttpMaxRedirects + 1));
}

TEST_F(HttpClientTest, ChunkedBodyIsJoinedAcrossWritesExtensionsAndTrailers) {
  HttpTestServer server([](PlatformConnection &c, int) {
    c.Write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n");
    c.Sleep(30);
    c.Write("1;ext=1\r\n,\r\n7\r\n wo");
    c.Sleep(30);
    c.Write("rld!\r\n0\r\nX-Trailer: t\r\n\r\n");
  });
  ASSERT_TRUE(server.Ok());
  Trust(server);
  Result r = Request(server.Url());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "hello, world!");
}

TEST_F(HttpClientTest, EarlyCloseGivesSuccessAndTheShorterBody) {
  HttpTestServer server(Reply("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789"));
  ASSERT_TRUE(server.Ok());
  Trust(server);
  Result r = Request(server.Url());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "0123456789");
}

TEST_F(HttpClientTest, CloseDelimitedBodyAndLongBodyReadStraightIntoItsBuffer) {
  std::string big(300000, 'b');
  HttpTestServer server([&big](PlatformConnection &c, int index) {
    if (index == 0) c.Write("HTTP/1.0 200 OK\r\n\r\nuntil the end");
    if (index == 1) c.Write(HttpTestServer::Answer(200, big));
  });
  ASSERT_TRUE(server.Ok());
  Trust(server);
  EXPECT_EQ(Request(server.Url()).body, "until the end");
  Result r = Request(server.Url());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, big);
}

TEST_F(HttpClientTest, Ipv6OnlyHostIsRefused) {
  Result r = Request("https://[::1]:1/");
  EXPECT_EQ(r.code, HTTP_ERR_RESOLVE);
}

TEST_F(HttpClientTest, UrlAndSchemeErrors) {
  EXPECT_EQ(Request("ftp://127.0.0.1/").code, HTTP_ERR_SCHEME);
  EXPECT_EQ(Request("/only/a/path").code, HTTP_ERR_SCHEME);
  EXPECT_EQ(Request("https:///nohost").code, HTTP_ERR_URL);
  EXPECT_EQ(Request("https://127.0.0.1:65536/").code, HTTP_ERR_URL);
  EXPECT_EQ(Request("https://bad host/").code, HTTP_ERR_URL);
  int refused = Request("https://127.0.0.1:1/").code;  // nothing listens on port 1
  EXPECT_TRUE(refused == HTTP_ERR_CONNECT || refused == HTTP_ERR_CONNECT_TIMEOUT) << refused;
}

TEST_F(HttpClientTest, CertificateIsCheckedUnlessTurnedOff) {
  HttpTestServer server(Reply(HttpTestServer::Answer(200, "trusted")));
  ASSERT_TRUE(server.Ok());
  http_client_set_tls(nullptr, 1);  // system store only: the simulator's CA is unknown
  EXPECT_EQ(Request(server.Url()).code, HTTP_ERR_TLS);
  ScopedTestLog log("http_verify_off");
  http_client_set_tls(nullptr, 0);
  Result r = Request(server.Url());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "trusted");
  EXPECT_TRUE(log.Contains("certificate check is off: 127.0.0.1 is not authenticated."));
  Trust(server);
  EXPECT_EQ(Request(server.Url()).code, 0);
  EXPECT_EQ(Request("https://localhost:" + std::to_string(server.Port()) + "/").code, 0);
}

TEST_F(HttpClientTest, CertificateForAnotherHostIsRejected) {
  PlatformTlsServer::Options options;
  options.cert.dns_names = {"platform.example"};
  options.cert.ip_addresses = {};
  HttpTestServer server(Reply(HttpTestServer::Answer(200, "x")), options);
  ASSERT_TRUE(server.Ok());
  Trust(server);
  EXPECT_EQ(Request(server.Url()).code, HTTP_ERR_TLS);
}

TEST_F(HttpClientTest, OlderAesSuitesAreStillOffered) {
  for (const char *suite : {"AES128-SHA256", "AES128-SHA"}) {
    PlatformTlsServer::Options options;
    options.tls12_ciphers = suite;
    options.max_tls_version = TLS1_2_VERSION;
    HttpTestServer server(Reply(HttpTestServer::Answer(200, "old")), options);
    ASSERT_TRUE(server.Ok());
    Trust(server);
    EXPECT_EQ(Request(server.Url()).code, 0) << suite;
    EXPECT_EQ(server.Ciphers().at(0), suite);
  }
  PlatformTlsServer::Options modern;
  modern.max_tls_version = TLS1_2_VERSION;
  HttpTestServer server(Reply(HttpTestServer::Answer(200, "new")), modern);
  ASSERT_TRUE(server.Ok());
  Trust(server);
  EXPECT_EQ(Request(server.Url()).code, 0);
  EXPECT_EQ(server.Ciphers().at(0).rfind("ECDHE-RSA-", 0), 0u);
}

TEST_F(HttpClientTest, SlowServerTimesOutThroughTheShortenedDefault) {
  HttpTestServer server([](PlatformConnection &c, int) { c.Sleep(5000); });
  ASSERT_TRUE(server.Ok());
  Trust(server);
  http_client_set_default_timeout(300);
  char answer[64] = "unchanged";
  EXPECT_EQ(http_client_get(server.Url().c_str(), nullptr, 0, answer, sizeof(answer)), HTTP_ERR_READ);
  EXPECT_STREQ(answer, "unchanged");
}

TEST_F(HttpClientTest, HandshakeThatNeverCompletesTimesOut) {
  PlatformTlsServer::Options plain;  // accepts TCP, never answers the ClientHello
  plain.tls = false;
  PlatformTlsServer silent;
  std::string error;
  ASSERT_TRUE(silent.Start(plain, [](PlatformConnection &c) { c.Sleep(5000); }, error)) << error;
  EXPECT_EQ(Request("https://127.0.0.1:" + std::to_string(silent.Port()) + "/", "", 300).code, HTTP_ERR_TLS);
}

TEST_F(HttpClientTest, GetCutsTheAnswerToItsBuffer) {
  HttpTestServer server(Reply(HttpTestServer::Answer(200, "0123456789")));
  ASSERT_TRUE(server.Ok());
  Trust(server);
  char answer[5];
  EXPECT_EQ(http_client_get(server.Url().c_str(), nullptr, 0, answer, sizeof(answer)), 0);
  EXPECT_STREQ(answer, "0123");
}

TEST_F(HttpClientTest, NotAnHttpAnswerIsResult4) {
  HttpTestServer server(Reply("SSH-2.0-OpenSSH\r\n\r\n"));
  ASSERT_TRUE(server.Ok());
  Trust(server);
  EXPECT_EQ(Request(server.Url()).code, HTTP_ERR_RESPONSE);
}

TEST_F(HttpClientTest, HostileAnswersStayWithinBounds) {
  std::string long_value(70000, 'v');
  std::string over_limit_chunk = "1000001\r\n" + std::string(kHttpMaxBody + 1, 'c');
  HttpTestServer server([&](PlatformConnection &c, int index) {
    if (index == 0) c.Write("HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\nabc");
    if (index == 1) c.Write("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabcdef-more-than-announced");
    if (index == 2) c.Write("HTTP/1.1 200 OK\r\nX-Long: " + long_value + "\r\n\r\n");
    if (index == 3) c.Write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + over_limit_chunk);
    if (index == 4) c.Write("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n"
                            "8\r\n12345678\r\n0\r\n\r\n");
  });
  ASSERT_TRUE(server.Ok());
  Trust(server);
  EXPECT_EQ(Request(server.Url()).code, HTTP_ERR_TOO_LARGE);
  Result r = Request(server.Url());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "abc");
  EXPECT_EQ(Request(server.Url()).code, HTTP_ERR_TOO_LARGE);
  EXPECT_EQ(Request(server.Url()).code, HTTP_ERR_TOO_LARGE);
  r = Request(server.Url());  // chunked framing wins over the length it contradicts
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.body, "12345678");
}

TEST_F(HttpClientTest, RecordIsReusableAndKeepsNothingOfTheLastAnswer) {
  HttpTestServer server([](PlatformConnection &c, int index) {
    c.Write(index == 0 ? HttpTestServer::Answer(200, "first answer") : HttpTestServer::Answer(204, ""));
  });
  ASSERT_TRUE(server.Ok());
  Trust(server);
  http_client *c = static_cast<http_client *>(calloc(1, sizeof(http_client)));  // zero-filled by the caller
  EXPECT_EQ(http_client_request(c, server.Url().c_str(), nullptr, 0), 0);
  EXPECT_STREQ(c->body, "first answer");
  EXPECT_EQ(c->timeout, kHttpDefaultTimeoutMs);
  EXPECT_EQ(http_client_request(c, server.Url().c_str(), nullptr, 0), 0);
  EXPECT_EQ(c->status_code, 204);
  EXPECT_EQ(c->body, nullptr);
  http_client_free(c);
}

}  // namespace
