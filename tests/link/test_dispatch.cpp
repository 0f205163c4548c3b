// The answer table and the dispatcher.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/dtu_cmd_answer_watch.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

struct Call {
  std::string handler;
  std::string value;
  int length;
};
std::vector<Call> g_calls;

void ImeiHandler(const char *v, int n) { g_calls.push_back({"imei", v, n}); }
void ImsiHandler(const char *v, int n) { g_calls.push_back({"imsi", v, n}); }
void VersionHandler(const char *v, int n) { g_calls.push_back({"version", v, n}); }
void AlyInstanceHandler(const char *v, int n) { g_calls.push_back({"instance", v, n}); }

std::vector<std::string> g_errors;
int g_empties = 0;
void OnError(const char *text) { g_errors.push_back(text); }
void OnEmpty() { ++g_empties; }

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    DtuCmdResetDispatch();
    g_calls.clear();
    g_errors.clear();
    g_empties = 0;
    received_.clear();
    DtuCmdSetReceiveSink([this](const std::string &t) { received_ += t; });
  }
  void TearDown() override {
    hooks_.reset();
    DtuCmdResetDispatch();
  }
  static void Process(const std::string &text) { DtuCmdRecvProcess(text.c_str(), static_cast<int>(text.size())); }
  // The error and empty-answer hooks, as a paced sequence subscribes to them.
  void WatchHooks() {
    hooks_ = std::make_unique<DtuCmdAnswerSubscription>(DtuCmdAnswerWatcher{OnError, OnEmpty, nullptr});
  }
  std::string received_;
  std::unique_ptr<DtuCmdAnswerSubscription> hooks_;
};

}  // namespace

TEST(RespTable, HasTheRowsInOrder) {
  EXPECT_STREQ(DtuCmdRespPrefix(0), "uart-baudrate : ");
  EXPECT_STREQ(DtuCmdRespPrefix(10), "version : ");
  EXPECT_STREQ(DtuCmdRespPrefix(15), "bandValue : ");
  EXPECT_STREQ(DtuCmdRespPrefix(43), "aly-mqtt-instanceID : ");
  EXPECT_STREQ(DtuCmdRespPrefix(72), "onenet-mqtt-accessKey : ");
  EXPECT_STREQ(DtuCmdRespPrefix(83), "dlt645-switch : ");
  EXPECT_STREQ(DtuCmdRespPrefix(87), "dlt645-meter-rule-item : ");
  EXPECT_STREQ(DtuCmdRespPrefix(88), "");
  for (int r = 0; r < kDtuCmdRespTableRows; ++r) {
    std::string p = DtuCmdRespPrefix(r);
    ASSERT_GT(p.size(), 3u);
    EXPECT_EQ(p.substr(p.size() - 3), " : ") << r;
  }
}

TEST(RespTable, AttachCoversEveryCaseVariantOfAKey) {
  DtuCmdDetachAllHandlers();
  EXPECT_EQ(DtuCmdAttachHandler("aly-mqtt-instanceid", AlyInstanceHandler), 3);
  EXPECT_EQ(DtuCmdAttachHandler("dlt645-switch", ImeiHandler), 2);
  EXPECT_EQ(DtuCmdAttachHandler("onenet-mqtt-clientId", ImeiHandler), 3);
  EXPECT_EQ(DtuCmdAttachHandler("no-such-key", ImeiHandler), 0);
  EXPECT_EQ(DtuCmdAttachHandler("imei", nullptr), 0);
  DtuCmdDetachAllHandlers();
}

TEST_F(Dispatch, LineStartCaseInsensitiveOneHandler) {
  DtuCmdAttachHandler("imei", ImeiHandler);
  DtuCmdAttachHandler("imsi", ImsiHandler);
  Process("IMEI : 123");
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].handler, "imei");
  EXPECT_EQ(g_calls[0].value, "123");
  EXPECT_EQ(g_calls[0].length, 1);  // bytes to the end less two
  EXPECT_EQ(received_, "IMEI : 123\r\n");

  g_calls.clear();
  Process("imsi : 9\r\nimei : 8");  // table order decides, not text order
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].handler, "imei");
  EXPECT_EQ(g_calls[0].value, "8");

  g_calls.clear();
  Process("imei : 1\r\nimsi : 2");
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].value, "1\r\nimsi : 2");
}

TEST_F(Dispatch, PrefixNotAtLineStartOrCutShortRunsNothing) {
  DtuCmdAttachHandler("version", VersionHandler);
  Process("xversion : 1");
  Process("version");
  Process("hello\nversion");
  Process("version :x");
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(received_, "xversion : 1\r\nversion\r\nhello\nversion\r\nversion :x\r\n");
  EXPECT_EQ(DtuCmdMatchRow("junk\rversion : 2", 16), 10);
}

// Cleaning drops the blank after the colon of an empty answer: "key :" at the
// end of its line still reaches the page, with "" and length 0.
class DispatchEmptyValue : public Dispatch, public ::testing::WithParamInterface<const char *> {};

TEST_P(DispatchEmptyValue, ReachesTheHandler) {
  DtuCmdAttachHandler("version", VersionHandler);
  Process(GetParam());
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].value, "");
  EXPECT_EQ(g_calls[0].length, 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, DispatchEmptyValue,
                         ::testing::Values("version :", "version : ", "VERSION :\r\nOK", "junk\nversion :\nmore"));

TEST_F(Dispatch, UnhandledRowsAndBandValueAreShownOnly) {
  Process("bandValue : 3");
  Process("tcp-addr : host");
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(received_, "bandValue : 3\r\ntcp-addr : host\r\n");
}

TEST_F(Dispatch, ErrorHookSeesErrorWordsAndDispatchGoesOn) {
  WatchHooks();
  DtuCmdAttachHandler("version", VersionHandler);
  Process("version : 1\r\nERROR");
  Process("upload fail");
  Process("Error");  // case-sensitive words only
  ASSERT_EQ(g_errors.size(), 2u);
  EXPECT_EQ(g_errors[0], "version : 1\r\nERROR");
  EXPECT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_empties, 0);
}

TEST_F(Dispatch, EmptyAnswerCallsOnlyTheEmptyHook) {
  WatchHooks();
  DtuCmdRecvProcess("", 0);
  EXPECT_EQ(g_empties, 1);
  EXPECT_TRUE(received_.empty());
}

TEST_F(Dispatch, RemoteModeSendsRawBytesAndDispatchesNothing) {
  std::string remote;
  DtuCmdSetRemoteSink([&](const char *d, int n) { remote.append(d, static_cast<size_t>(n)); });
  DtuCmdAttachHandler("imei", ImeiHandler);
  DtuCmdSetRemoteMode(true);
  const std::string raw("\r\nimei : 1\0x\r\nOK\r\n", 17);
  DtuCmdRecvProcess(raw.data(), static_cast<int>(raw.size()));
  EXPECT_EQ(remote, raw);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(received_.empty());
}

TEST_F(Dispatch, HostileTextsNeitherCrashNorOverrun) {
  DtuCmdAttachHandler("imei", ImeiHandler);
  std::string big(65536, 'a');
  Process(big);
  Process(std::string(" \t \r\n "));
  Process("\r\n\r\n\r\n");
  Process("\xc3\x28 : \xa0\xa1\nimei : \xff");
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].value, "\xff");
  // A text that is not NUL-terminated at its length.
  const char unterminated[] = {'i', 'm', 'e', 'i', ' ', ':', ' ', '7', 'Z', 'Z'};
  DtuCmdRecvProcess(unterminated, 8);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[1].value, "7");
}

// Each piece of dispatch state a test may leave behind; after the one reset
// call none of them reacts to an answer any more.
std::string g_trace;
std::unique_ptr<DtuCmdAnswerSubscription> g_kept;

struct Leftover {
  const char *name;
  void (*leave)();
};

class DispatchReset : public Dispatch, public ::testing::WithParamInterface<Leftover> {
 protected:
  void TearDown() override {
    g_kept.reset();
    g_trace.clear();
    Dispatch::TearDown();
  }
};

TEST_P(DispatchReset, LeavesNothingThatStillReacts) {
  GetParam().leave();
  Process("imei : 1\r\nERROR");
  ASSERT_FALSE(g_trace.empty()) << "the leftover must react before the reset";
  g_trace.clear();
  DtuCmdResetDispatch();
  EXPECT_FALSE(DtuCmdRemoteMode());
  DtuCmdRecvProcess("", 0);
  Process("imei : 1\r\nERROR");
  EXPECT_EQ(g_trace, "");
}

INSTANTIATE_TEST_SUITE_P(
    State, DispatchReset,
    ::testing::Values(
        Leftover{"Handler", [] { DtuCmdAttachHandler("imei", [](const char *, int) { g_trace += "handler"; }); }},
        Leftover{"ReceiveSink", [] { DtuCmdSetReceiveSink([](const std::string &) { g_trace += "receive"; }); }},
        Leftover{"RemoteMode",
                 [] {
                   DtuCmdSetRemoteSink([](const char *, int) { g_trace += "remote"; });
                   DtuCmdSetRemoteMode(true);
                 }},
        Leftover{"Subscription",
                 [] {
                   g_kept = std::make_unique<DtuCmdAnswerSubscription>(
                       DtuCmdAnswerWatcher{[](const char *) { g_trace += "error"; }, [] { g_trace += "empty"; },
                                           [](const char *, int) { g_trace += "answer"; }});
                 }}),
    [](const ::testing::TestParamInfo<Leftover> &info) { return std::string(info.param.name); });
