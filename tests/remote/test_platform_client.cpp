// The platform calls against the platform simulator's REST server (a real
// TLS server on loopback) and against scripted answers: what goes on the
// wire, what the answers do to the login state and the device list.
#include <gtest/gtest.h>

#include "base/dtu_message.h"
#include "remote/http_client.h"
#include "remote/platform_answers.h"
#include "remote/platform_client.h"
#include "sim/platform_fleet.h"
#include "sim/platform_rest_server.h"
#include "tests/remote/http_test_server.h"
#include "tests/remote/remote_test_support.h"

namespace {

class PlatformClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatformRestConfig config = PlatformDemoConfig();
    config.accounts.push_back({"field engineer \xC3\xA9", "s3cret pass"});
    config.products.push_back({"pk-empty", "ps-empty", {}});
    std::string error;
    ASSERT_TRUE(server_.Start(config, error)) << error;
    http_client_set_tls(server_.CaFile().c_str(), 1);
    previous_sink_ = DtuSetMessageSink([this](const std::string &text) { messages_.push_back(text); });
  }
  void TearDown() override {
    DtuSetMessageSink(previous_sink_);
    http_client_set_tls(nullptr, 1);
    http_client_set_default_timeout(0);
  }
  PlatformRestServer server_;
  std::vector<std::string> messages_;
  DtuMessageSink previous_sink_;
};

TEST_F(PlatformClientTest, LoginSendsEncodedNameAndDigestNeverThePassword) {
  ScopedTestLog log("platform_login");
  PlatformClient client(server_.ApiBase());
  ASSERT_EQ(client.Login("field engineer \xC3\xA9", "s3cret pass"), PLATFORM_OK);
  EXPECT_TRUE(client.LoggedIn());
  EXPECT_EQ(client.AccessToken().size(), 48u);
  EXPECT_EQ(messages_, std::vector<std::string>{"Login success"});
  std::string request = server_.Requests().at(0);
  std::string expected_line = "GET /vorda/dmp/user/login?username=field%20engineer%20%C3%A9&password=" +
                              Md5Hex("s3cret pass") + " HTTP/1.1\r\n";
  EXPECT_EQ(request.rfind(expected_line, 0), 0u) << request;
  EXPECT_EQ(request.find("s3cret"), std::string::npos);
}

TEST_F(PlatformClientTest, RefusedLoginIsOnlyLogged) {
  ScopedTestLog log("platform_refused");
  PlatformClient client(server_.ApiBase());
  EXPECT_EQ(client.Login("engineer", "wrong"), PLATFORM_NO_MEMBER);
  EXPECT_FALSE(client.LoggedIn());
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(log.Contains("access_token not found in response."));
}

TEST_F(PlatformClientTest, AProductOfMoreDevicesThanOneAnswerHoldsIsListedWhole) {
  PlatformRestConfig config = PlatformDemoConfig();
  config.products.front().devices = PlatformFleetDeviceList(120);
  PlatformRestServer large;
  std::string error;
  ASSERT_TRUE(large.Start(config, error)) << error;
  http_client_set_tls(large.CaFile().c_str(), 1);
  PlatformClient client(large.ApiBase());
  ASSERT_EQ(client.Login("engineer", "varnok-demo"), PLATFORM_OK);
  std::vector<std::string> devices;
  ASSERT_EQ(client.RefreshDevices("pk-demo", "ps-demo", &devices), PLATFORM_OK);
  ASSERT_EQ(devices.size(), 120u);
  EXPECT_EQ(devices.back(), config.products.front().devices.back().imei);
}

TEST_F(PlatformClientTest, DeviceListInOrderThenLogout) {
  PlatformClient client(server_.ApiBase());
  std::vector<std::string> devices{"stale"};
  EXPECT_EQ(client.RefreshDevices("pk-demo", "ps-demo", &devices), PLATFORM_NOT_LOGGED_IN);
  EXPECT_EQ(devices, std::vector<std::string>{"stale"});
  ASSERT_EQ(client.Login("engineer", "varnok-demo"), PLATFORM_OK);
  ASSERT_EQ(client.RefreshDevices("pk-demo", "ps-demo", &devices), PLATFORM_OK);
  EXPECT_EQ(devices, (std::vector<std::string>{"860000000000001", "860000000000002", "860000000000003"}));
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  std::string bearer = "Authorization: Bearer " + client.AccessToken() + "\r\n\r\n";
  EXPECT_EQ(requests[1].rfind("GET /vorda/dmp/device/devNumber?productKey=pk-demo&productSecret=ps-demo ", 0), 0u);
  EXPECT_EQ(requests[2].rfind("GET /vorda/dmp/device/lightList?productKey=pk-demo&productSecret=ps-demo"
                              "&pageNum=1&pageSize=3 ", 0), 0u);
  EXPECT_NE(requests[2].find(bearer), std::string::npos);
  ASSERT_EQ(client.RefreshDevices("pk-empty", "ps-empty", &devices), PLATFORM_OK);
  EXPECT_TRUE(devices.empty());

  EXPECT_EQ(client.Logout(), PLATFORM_OK);
  EXPECT_FALSE(client.LoggedIn());
  EXPECT_EQ(server_.OpenTokens(), 0u);
  EXPECT_EQ(messages_.back(), "Logout success");
}

TEST_F(PlatformClientTest, FailedLogoutKeepsTheLogin) {
  ScopedTestLog log("platform_logout");
  PlatformClient client(server_.ApiBase());
  ASSERT_EQ(client.Login("engineer", "varnok-demo"), PLATFORM_OK);
  server_.SetFault(PlatformFault::kRedirectLoop);
  EXPECT_EQ(client.Logout(), HTTP_ERR_REDIRECT_LIMIT);
  EXPECT_TRUE(client.LoggedIn());
  EXPECT_TRUE(log.Contains("HTTP request failed with status: 25."));
}

TEST_F(PlatformClientTest, SimulatorFaultsReachTheClientAsResults) {
  PlatformClient client(server_.ApiBase());
  ASSERT_EQ(client.Login("engineer", "varnok-demo"), PLATFORM_OK);
  std::vector<std::string> devices;
  server_.SetFault(PlatformFault::kHugeLength);
  EXPECT_EQ(client.RefreshDevices("pk-demo", "ps-demo", &devices), HTTP_ERR_TOO_LARGE);
  server_.SetFault(PlatformFault::kTruncate);
  EXPECT_EQ(client.Login("engineer", "varnok-demo"), PLATFORM_BAD_JSON);  // half a JSON document
  server_.SetFault(PlatformFault::kSlow, 3000);
  http_client_set_default_timeout(200);
  EXPECT_EQ(client.RefreshDevices("pk-demo", "ps-demo", &devices), HTTP_ERR_READ);
  EXPECT_TRUE(devices.empty());
}

// Device count and list answers scripted per request.
class ScriptedPlatformTest : public ::testing::Test {
 protected:
  void Serve(std::vector<std::string> answers) {
    answers_ = std::move(answers);
    server_.reset(new HttpTestServer([this](PlatformConnection &c, int index) {
      if (index < static_cast<int>(answers_.size())) c.Write(HttpTestServer::Answer(200, answers_[index]));
    }));
    ASSERT_TRUE(server_->Ok());
    http_client_set_tls(server_->CaFile().c_str(), 1);
    previous_sink_ = DtuSetMessageSink([](const std::string &) {});
  }
  void TearDown() override {
    DtuSetMessageSink(previous_sink_);
    http_client_set_tls(nullptr, 1);
  }
  std::vector<std::string> answers_;
  std::unique_ptr<HttpTestServer> server_;
  DtuMessageSink previous_sink_;
};

TEST_F(ScriptedPlatformTest, CountWithoutTotalAsksForPageSizeMinusOne) {
  Serve({"{\"access_token\":\"tk\"}", "{\"data\":{\"count\":3}}",
         "{\"rows\":[{\"imei\":\"A\"},{\"imei\":861},{\"name\":\"x\"},{\"imei\":\"B\"}]}"});
  PlatformClient client(server_->Url());
  ASSERT_EQ(client.Login("u", "p"), PLATFORM_OK);
  std::vector<std::string> devices;
  ASSERT_EQ(client.RefreshDevices("k", "s", &devices), PLATFORM_OK);
  EXPECT_EQ(devices, (std::vector<std::string>{"A", "B"}));
  EXPECT_NE(server_->Requests().at(2).find("&pageNum=1&pageSize=-1 HTTP/1.1"), std::string::npos);
}

// A list longer than one answer holds is asked for page by page; a page cut
// at the buffer's end still fails without touching the list.
TEST_F(ScriptedPlatformTest, ALongListComesPageByPageAndACutPageLeavesTheListAlone) {
  std::string rows = "{\"rows\":[";
  while (rows.size() < 9000) rows += "{\"imei\":\"860000000000000\"},";
  rows += "{\"imei\":\"last\"}]}";
  Serve({"{\"access_token\":\"tk\"}", "{\"total\":\"400 devices\"}", rows});
  ScopedTestLog log("platform_cut");
  PlatformClient client(server_->Url());
  ASSERT_EQ(client.Login("u", "p"), PLATFORM_OK);
  std::vector<std::string> devices{"kept"};
  EXPECT_EQ(client.RefreshDevices("k", "s", &devices), PLATFORM_BAD_JSON);
  EXPECT_EQ(devices, std::vector<std::string>{"kept"});
  EXPECT_TRUE(log.Contains("parse device list json failed."));
  EXPECT_NE(server_->Requests().at(2).find("&pageNum=1&pageSize=" + std::to_string(kPlatformListPageSize) + " "),
            std::string::npos);
}

TEST(PlatformAnswers, DeviceCountRules) {
  EXPECT_EQ(PlatformParseDeviceCount("{\"data\":{\"total\":7}}"), 7);
  EXPECT_EQ(PlatformParseDeviceCount("{\"data\":{\"total\":\"12abc\"}}"), 12);
  EXPECT_EQ(PlatformParseDeviceCount("{\"data\":[1],\"total\":5}"), 5);     // data not an object
  EXPECT_EQ(PlatformParseDeviceCount("{\"data\":{},\"total\":5}"), -1);     // data wins, no total in it
  EXPECT_EQ(PlatformParseDeviceCount("{\"data\":{\"Total\":5}}"), -1);      // names are case-sensitive
  EXPECT_EQ(PlatformParseDeviceCount("{\"total\":true}"), -1);
  EXPECT_EQ(PlatformParseDeviceCount("{\"total\":\"x\"}"), 0);
  EXPECT_EQ(PlatformParseDeviceCount("not json"), -1);
  EXPECT_EQ(PlatformParseDeviceCount(nullptr), -1);
}

TEST(PlatformAnswers, EncodingAndDigest) {
  EXPECT_EQ(UrlEncode("Az09-._~ /+%\xE4"), "Az09-._~%20%2F%2B%25%E4");
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
  std::string token;
  EXPECT_EQ(PlatformParseAccessToken("{\"access_token\":5}", 18, &token), PLATFORM_ANSWER_MISSING);
  EXPECT_EQ(PlatformParseAccessToken("{\"access_token\":\"a\\u00e9\"}", 26, &token), PLATFORM_ANSWER_OK);
  EXPECT_EQ(token, "a\xC3\xA9");
}

}  // namespace
