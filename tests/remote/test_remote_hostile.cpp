// The HTTP client and the platform calls against a hostile platform, played
// by scripted TLS servers on loopback: an answer dripped a byte at a time,
// redirects that would carry the token away or into clear text, a token that
// would inject a header, credentials in the log, certificate checking off,
// and a device list whose IMEIs hold line breaks.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "remote/http_client.h"
#include "remote/platform_client.h"
#include "tests/remote/http_test_server.h"
#include "tests/remote/remote_test_support.h"

namespace {

class RemoteHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    DtuLangFlag = 1;
    previous_sink_ = DtuSetMessageSink([this](const std::string &text) { messages_.push_back(text); });
  }
  void TearDown() override {
    DtuSetMessageSink(previous_sink_);
    http_client_set_tls(nullptr, 1);
    http_client_set_default_timeout(0);
    http_client_set_request_deadline(0);
  }
  static int Get(const std::string &url, const std::string &header = "") {
    http_client *c = http_client_create(2000);
    int code = http_client_request(c, url.c_str(), header.empty() ? nullptr : header.c_str(),
                                   static_cast<int>(header.size()));
    http_client_free(c);
    return code;
  }
  std::vector<std::string> messages_;
  DtuMessageSink previous_sink_;
};

PlatformTlsServer::Options Plain() {
  PlatformTlsServer::Options options;
  options.tls = false;
  return options;
}

// Each wait is short, but the answer never ends: the overall deadline does.
TEST_F(RemoteHostile, AnswerDrippedByteByByteEndsAtTheDeadline) {
  HttpTestServer server([](PlatformConnection &c, int) {
    c.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
    for (int i = 0; i < 100 && c.Sleep(100); ++i) c.Write("x");
  });
  ASSERT_TRUE(server.Ok()) << server.Error();
  http_client_set_tls(server.CaFile().c_str(), 1);
  http_client_set_request_deadline(1000);
  EXPECT_EQ(Get(server.Url("/drip")), HTTP_ERR_READ);
}

struct RedirectCase {
  const char *name;
  bool from_tls;
  const char *to;  // "same", "other-tls" or "plain"
  int code;
  bool token_at_target;
};

class RedirectRules : public RemoteHostile, public ::testing::WithParamInterface<RedirectCase> {};

TEST_P(RedirectRules, TokenGoesOnlyWhereItCameFromAndNeverInClear) {
  const RedirectCase c = GetParam();
  std::string target;
  auto redirect_then_answer = [&target](PlatformConnection &conn, int index) {
    conn.Write(index == 0 ? HttpTestServer::Answer(302, "", "Location: " + target + "\r\n")
                          : HttpTestServer::Answer(200, "landed"));
  };
  auto answer = [](PlatformConnection &conn, int) { conn.Write(HttpTestServer::Answer(200, "landed")); };
  HttpTestServer from(redirect_then_answer, c.from_tls ? PlatformTlsServer::Options() : Plain());
  HttpTestServer other_tls(answer);
  HttpTestServer plain(answer, Plain());
  ASSERT_TRUE(from.Ok() && other_tls.Ok() && plain.Ok());
  const std::string to = c.to;
  HttpTestServer &landing = to == "same" ? from : (to == "plain" ? plain : other_tls);
  target = to == "same" ? "/next" : landing.Url("/next");
  http_client_set_tls(nullptr, 0);  // two servers, two CAs: not what this is about

  EXPECT_EQ(Get(from.Url("/first"), "Authorization: Bearer t0k\r\nX-Extra: 1\r\n"), c.code);
  const auto requests = landing.Requests();
  if (c.code != 0) {
    EXPECT_EQ(plain.Requests().size(), 0u);
    return;
  }
  const std::string &last = requests.back();
  EXPECT_EQ(last.rfind("GET /next ", 0), 0u);
  EXPECT_NE(last.find("X-Extra: 1\r\n"), std::string::npos);
  EXPECT_EQ(last.find("Bearer t0k") != std::string::npos, c.token_at_target) << last;
}

INSTANTIATE_TEST_SUITE_P(
    Hops, RedirectRules,
    ::testing::Values(RedirectCase{"SameHostKeepsTheToken", true, "same", 0, true},
                      RedirectCase{"OtherPortGetsNoToken", true, "other-tls", 0, false},
                      RedirectCase{"HttpsToHttpIsRefused", true, "plain", HTTP_ERR_INSECURE_REDIRECT, false},
                      RedirectCase{"HttpToHttpsIsFollowed", false, "other-tls", 0, false}),
    [](const ::testing::TestParamInfo<RedirectCase> &info) { return std::string(info.param.name); });

// A platform answering its calls in the order they come: login, device
// count, device list.
class ScriptedPlatform {
 public:
  explicit ScriptedPlatform(std::string login_body, std::string list_body = "{\"rows\":[]}")
      : server_([login_body, list_body](PlatformConnection &c, int index) {
          const std::string bodies[] = {login_body, "{\"total\":2}", list_body};
          c.Write(HttpTestServer::Answer(200, bodies[index < 3 ? index : 2]));
        }) {
    http_client_set_tls(server_.CaFile().c_str(), 1);
  }
  HttpTestServer &Server() { return server_; }

 private:
  HttpTestServer server_;
};

TEST_F(RemoteHostile, HeaderTextWithABareLineBreakIsNotSent) {
  HttpTestServer server([](PlatformConnection &c, int) { c.Write(HttpTestServer::Answer(200, "ok")); });
  ASSERT_TRUE(server.Ok());
  http_client_set_tls(server.CaFile().c_str(), 1);
  EXPECT_EQ(Get(server.Url(), "X-A: 1\rX-B: 2\r\n"), HTTP_ERR_WRITE);
  EXPECT_EQ(Get(server.Url(), std::string("X-A: 1\0X-B: 2\r\n", 15)), HTTP_ERR_WRITE);
  EXPECT_EQ(Get(server.Url(), "X-A: 1"), HTTP_ERR_WRITE);
  EXPECT_EQ(server.Requests().size(), 0u);
}

TEST_F(RemoteHostile, TokenWithALineBreakFailsTheLogin) {
  ScopedTestLog log("hostile_token");
  ScriptedPlatform platform("{\"access_token\":\"abc\\r\\nX-Injected: yes\"}");
  PlatformClient client(platform.Server().Url());
  EXPECT_EQ(client.Login("engineer", "pw"), PLATFORM_BAD_TOKEN);
  EXPECT_FALSE(client.LoggedIn());
  EXPECT_TRUE(messages_.empty());  // no "Login success"
  EXPECT_TRUE(log.Contains("access_token holds a control character; login refused."));
}

TEST_F(RemoteHostile, DeviceRowsWhoseImeiIsNotPrintableAreSkipped) {
  ScriptedPlatform platform("{\"access_token\":\"t0k\"}",
                            "{\"rows\":[{\"imei\":\"8600\\r\\n8601\"},{\"imei\":\"860000000000009\"},"
                            "{\"imei\":\"86\\u001b[2J\"}]}");
  PlatformClient client(platform.Server().Url());
  ASSERT_EQ(client.Login("engineer", "pw"), PLATFORM_OK);
  std::vector<std::string> devices;
  ASSERT_EQ(client.RefreshDevices("pk", "ps", &devices), PLATFORM_OK);
  EXPECT_EQ(devices, std::vector<std::string>{"860000000000009"});
}

// The login URL holds the password's digest, which the platform accepts as
// the password: a redirect loop must not put it into the log.
TEST_F(RemoteHostile, LogHoldsNoQueryAndIsReadableByItsOwnerOnly) {
  ScopedTestLog log("hostile_redirect_log");
  std::string base;
  HttpTestServer server([&base](PlatformConnection &c, int) {
    c.Write(HttpTestServer::Answer(302, "", "Location: " + base + "/vorda/dmp/user/login?username=u&password=0123abcd\r\n"));
  });
  ASSERT_TRUE(server.Ok());
  base = server.Url();
  http_client_set_tls(server.CaFile().c_str(), 1);
  PlatformClient client(server.Url());
  EXPECT_NE(client.Login("u", "pw"), PLATFORM_OK);
  EXPECT_TRUE(log.Contains("more than 10 redirects in a row, last to " + base + "/vorda/dmp/user/login.")) << log.Text();
  EXPECT_FALSE(log.Contains("password=")) << log.Text();
  struct stat status;
  ASSERT_EQ(::stat("./hostile_redirect_log.log.txt", &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(RemoteHostile, UncheckedCertificateIsToldOnceAfterCheckingWentOff) {
  HttpTestServer server([](PlatformConnection &c, int) { c.Write(HttpTestServer::Answer(200, "ok")); });
  ASSERT_TRUE(server.Ok());
  http_client_set_tls(nullptr, 1);
  http_client_set_tls(nullptr, 0);
  EXPECT_EQ(Get(server.Url()), 0);
  EXPECT_EQ(Get(server.Url()), 0);
  http_client_set_tls(nullptr, 0);  // the same setting again: still told already
  EXPECT_EQ(Get(server.Url()), 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Certificate checking is off: 127.0.0.1 is not authenticated, and the account and "
                          "token could be read by others.");
  http_client_set_tls(nullptr, 1);
  http_client_set_tls(nullptr, 0);
  EXPECT_EQ(Get(server.Url()), 0);
  EXPECT_EQ(messages_.size(), 2u);
}

}  // namespace
