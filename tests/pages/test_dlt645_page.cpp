// The DL/T 645 meter page against the simulated device through the real
// command port: what its Read and Set put on the wire, what the answers fill
// in, when a Set counts as confirmed, and what its checks refuse.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/dlt645/dtu_dlt645.h"
#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "tests/pages/wire_fixture.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
constexpr int kTimeoutMs = 8000;
const char kConfigured[] = "DLT645 configured successfully";  // a whole-page Set
const char kBasicConfigured[] = "DLT645 basic parameters configured successfully";
const char kRuleConfigured[] = "DLT645 forward rules configured successfully";

std::string SetLine(const std::string &key, const std::string &payload) {
  return "AT+ZEVCFG=set|" + key + "|" + payload;
}

class Dlt645Page : public PageWireTest {
 protected:
  // After the fixture's set-up, which starts from a table without handlers.
  void SetUp() override {
    PageWireTest::SetUp();
    page_ = std::make_unique<DtuDLT645>();
  }
  void TearDown() override {
    page_.reset();
    PageWireTest::TearDown();
  }
  void Fill(const Pairs &fields) {
    for (const auto &[name, value] : fields) {
      std::string error;
      ASSERT_TRUE(page_->SetField(name, value, error)) << error;
    }
  }
  std::string Field(const std::string &name) const {
    std::string value;
    EXPECT_TRUE(page_->GetField(name, value)) << name;
    return value;
  }
  std::vector<std::string> LinesFrom(size_t first) const {
    std::vector<std::string> lines = Lines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(first), lines.end());
  }
  void SetLatency(int ms) {
    DtuSimOptions options = Sim().Options();
    options.latency_ms = ms;
    Sim().SetOptions(options);
  }
  struct Refusal {
    Pairs fields;
    std::string message;
  };
  // Each case on top of valid fields: the button refuses with the message,
  // nothing stays pending and nothing reaches the device.
  void ExpectRefusals(const Pairs &valid, const std::vector<Refusal> &cases, bool (DtuDLT645::*button)()) {
    for (const Refusal &c : cases) {
      Fill(valid);
      Fill(c.fields);
      messages_.clear();
      EXPECT_FALSE((page_.get()->*button)());
      EXPECT_EQ(messages_, std::vector<std::string>{c.message});
      EXPECT_FALSE(page_->SetPending());
    }
    DtuPageWaitUntil([] { return false; }, 200);
    EXPECT_TRUE(Lines().empty());
  }
  bool WaitForMessage() {
    return DtuPageWaitUntil([&] { return !messages_.empty(); }, kTimeoutMs);
  }

  std::unique_ptr<DtuDLT645> page_;
};

const Pairs kTwoChannels = {{"Switch", "0"},      {"maxChannel", "2"},       {"addr1", "000012345678"},
                            {"preamble1", " 4 "}, {"cycle1", "60"},          {"diNum1", "2"},
                            {"DiList1", "00010000, 00020000"},               {"addr2", "000000000002"},
                            {"preamble2", "1"},   {"cycle2", "5"},           {"diNum2", "3"}};

TEST_F(Dlt645Page, BasicSetSendsTheDiPartAndConfirmsOnTheLastRecord) {
  Fill(kTwoChannels);
  ASSERT_TRUE(page_->OnBnClickedBtBasicSet());
  ASSERT_TRUE(WaitForMessage());
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                SetLine("dlt645-switch", "1"), SetLine("dlt645-channel", "2"),
                SetLine("dlt645-meter-cfg",
                        "ch:1/addr:000012345678/preamble:4/cycle:60/diNum:2/di1:00010000/di2:00020000;"),
                SetLine("dlt645-meter-cfg", "ch:2/addr:000000000002/preamble:1/cycle:5/diNum:3;")}));
  EXPECT_EQ(messages_, std::vector<std::string>{kBasicConfigured});
  EXPECT_FALSE(page_->SetPending());

  Fill({{"DiList1", ""}, {"diNum2", ""}});
  ASSERT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Field("DiList1"), "00010000,00020000");
  EXPECT_EQ(Field("diNum2"), "3");
}

// Records of channels this Set did not send (here an old answer of channel
// 2) do not count towards its confirmation.
TEST_F(Dlt645Page, OnlyTheChannelsSentConfirmTheBasicSet) {
  Fill({{"maxChannel", "1"}, {"addr1", "1"}, {"preamble1", "1"}, {"cycle1", "1"}, {"diNum1", "1"}});
  SetLatency(150);
  ASSERT_TRUE(page_->OnBnClickedBtBasicSet());
  Answer("dlt645-switch : 1");
  Answer("dlt645-channel : 1");
  Answer("dlt645-meter-cfg : ch:2/addr:2/preamble:1/cycle:1/diNum:1;");
  EXPECT_TRUE(messages_.empty());
  ASSERT_TRUE(WaitForMessage());
  EXPECT_EQ(messages_, std::vector<std::string>{kBasicConfigured});
}

TEST_F(Dlt645Page, BasicSetChecksEveryRowBeforeSending) {
  ExpectRefusals(
      {{"maxChannel", "1"}, {"addr1", "1"}, {"preamble1", "1"}, {"cycle1", "1"}, {"diNum1", "1"}, {"DiList1", ""},
       {"addr2", "2"}, {"preamble2", "1"}, {"cycle2", "1"}, {"diNum2", "1"}},
      {
          {{{"preamble1", "5"}}, "Channel 1 preamble must be 1~4."},
          {{{"preamble1", ""}}, "Channel 1 preamble must be 1~4."},
          {{{"diNum1", "9"}}, "Channel 1 DI count must be 1~8."},
          {{{"DiList1", "0001010G"}}, "Channel 1 DI items must be 8 hexadecimal digits, e.g. 00010102"},
          {{{"DiList1", "0001010"}}, "Channel 1 DI items must be 8 hexadecimal digits, e.g. 00010102"},
          {{{"addr1", "0000/1"}}, "Channel 1 Meter Addr cannot contain \"/\"; nothing was sent."},
          {{{"cycle1", "6;0"}}, "Channel 1 Cycle (s) cannot contain \";\"; nothing was sent."},
          {{{"maxChannel", "2"}, {"preamble2", "0"}}, "Channel 2 preamble must be 1~4."},
          {{{"cycle1", "99999999999999999999"}}, "Channel 1 Cycle (s) must be a whole number 0~9999999; nothing was sent."},
          {{{"addr1", "0000123456789"}}, "Channel 1 Meter Addr must be at most 12 hexadecimal digits; nothing was sent."},
          {{{"addr1", "00001234567G"}}, "Channel 1 Meter Addr must be at most 12 hexadecimal digits; nothing was sent."},
      },
      &DtuDLT645::OnBnClickedBtBasicSet);
}

TEST_F(Dlt645Page, ChannelAnswersAreLimitedAndRecordsFillTheirRows) {
  Answer("dlt645-channel : 9");
  EXPECT_EQ(Field("maxChannel"), "6");
  Answer("dlt645-channel : 0");
  EXPECT_EQ(Field("maxChannel"), "1");
  Answer("dlt645-meter-cfg : ch:2/addr:000000000002/preamble:4/cycle:60/diNum:1/di9:99999999/di1:00010000;"
         "ch:3/addr:000000000003/di0:00000000/di2:00020000;ch:7/addr:7;");
  EXPECT_EQ(Field("addr2"), "000000000002");
  EXPECT_EQ(Field("DiList2"), "00010000");
  EXPECT_EQ(Field("addr3"), "000000000003");
  EXPECT_EQ(Field("DiList3"), ",00020000");
  Answer("dlt645-switch : 0");
  EXPECT_EQ(Field("funcSwitch"), "0");
  EXPECT_FALSE(page_->Model().MeterRowVisible(1));
}

TEST_F(Dlt645Page, RuleSetSendsItemsAndReadsBack) {
  Fill({{"ConfigChannelIndex", "2"}, {"Rule", "1"}, {"ParamCount", "1"}, {"Tag1", "Ua"}, {"RuleDi1", "02010100"},
        {"DataType1", "3"}, {"DataEndian1", "1"}, {"DataRule1", "2"}, {"Rate1", "10"}, {"Tag2", " Ib "},
        {"RuleDi2", "02020100"}, {"Rate2", "0"}});
  ASSERT_TRUE(page_->OnBnClickedBtRuleSet());
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForLines(6));
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                SetLine("dlt645-meter-rule", "ch:3/rule:1/paramCnt:2"),
                SetLine("dlt645-meter-rule-item",
                        "ch:3/paramId:1/tag:Ua/di:02010100/dataType:3/dataEndian:1/dataRule:2/rate:10"),
                SetLine("dlt645-meter-rule-item",
                        "ch:3/paramId:2/tag:Ib/di:02020100/dataType:0/dataEndian:0/dataRule:0/rate:1"),
                "AT+ZEVCFG=get|dlt645-meter-rule|ch:3", "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:3/paramId:1",
                "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:3/paramId:2"}));
  EXPECT_EQ(messages_, std::vector<std::string>{kRuleConfigured});

  // A Read of the channel through the read worker brings the rows back.
  Fill({{"Tag1", "changed"}});
  const size_t seen = Lines().size();
  ASSERT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Field("tag3_1"), "Ua");
  EXPECT_EQ(Field("rate3_2"), "1");
  EXPECT_EQ(Field("paramCnt3"), "2");
  EXPECT_EQ(Field("dataEndian3_1"), "1");
  const std::vector<std::string> read = LinesFrom(seen);
  EXPECT_EQ(std::count(read.begin(), read.end(), "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:3/paramId:2"), 1);
  EXPECT_EQ(std::count(read.begin(), read.end(), "AT+ZEVCFG=get|dlt645-meter-rule-item|ch:1/paramId:1"), 0)
      << "a Transparent rule has no items to read";
}

TEST_F(Dlt645Page, RuleSetChecksParameters) {
  ExpectRefusals({{"Rule", "1"}, {"ParamCount", "0"}, {"Tag1", "Ua"}, {"RuleDi1", "02010100"}},
                 {
                     {{{"Tag1", ""}}, "参数1的参数标识或DI项不能为空"},
                     {{{"RuleDi1", "0001010G"}}, "参数1的DI项格式错误，必须为8位16进制，例如00010102"},
                     {{{"RuleDi1", "0001010"}}, "参数1的DI项格式错误，必须为8位16进制，例如00010102"},
                     {{{"Tag1", "U:a"}}, "Param 1 Parameter Tag cannot contain \":\"; nothing was sent."},
                     {{{"Tag1", "U[dec]a"}}, "Param 1 Parameter Tag cannot contain \"[dec]\"; nothing was sent."},
                     {{{"Tag1", "U[COMMA]a"}}, "Param 1 Parameter Tag cannot contain \"[comma]\"; nothing was sent."},
                     {{{"Rate1", "10000000"}}, "Param 1 Multiplier must be a whole number 1~9999999; nothing was sent."},
                 },
                 &DtuDLT645::OnBnClickedBtRuleSet);
}

// While channel 2 is read, answers for channel 5 and for channel 7 leave the
// selection alone.
TEST_F(Dlt645Page, RuleAnswersOfOtherChannelsDoNotSwitchTheView) {
  Fill({{"configChannel", "2"}});
  SetLatency(200);
  ASSERT_TRUE(page_->OnBnClickedBtRuleRead());
  Answer("dlt645-meter-rule : ch:5/rule:1/paramCnt:3");
  Answer("dlt645-meter-rule : ch:7/rule:1/paramCnt:3");
  EXPECT_EQ(Field("configChannel"), "2");
  EXPECT_EQ(Field("paramCnt5"), "3") << "the answer still fills channel 5's rule";
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !page_->ReadPending(); }, kTimeoutMs));
  EXPECT_EQ(Field("rule2"), "0");
  // With no read running, an answer shows its channel.
  Answer("dlt645-meter-rule : ch:4/rule:0/paramCnt:0");
  EXPECT_EQ(Field("configChannel"), "4");
}

TEST_F(Dlt645Page, APageGoingAwayStopsItsReadWorker) {
  SetLatency(300);
  {
    DtuDLT645 page;
    ASSERT_TRUE(page.OnBnClickedBtRuleRead());
    EXPECT_TRUE(page.Busy());
    ASSERT_TRUE(WaitForLines(1));
  }
  DtuPageWaitUntil([] { return false; }, 400);
  EXPECT_EQ(Lines().size(), 1u) << "nothing is queued after the page is gone";
}

TEST_F(Dlt645Page, ARefusedRuleReadIsReported) {
  FailKey("dlt645-meter-rule");
  ASSERT_TRUE(page_->OnBnClickedBtRuleRead());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !page_->ReadPending(); }, kTimeoutMs));
  EXPECT_EQ(messages_, std::vector<std::string>{"The device refused rule1 (ERROR)"});
  // varnokctl's run of the whole page ends as the device answered, not
  // done; a later read that gets every rule clears it.
  EXPECT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDeviceError);
  HealKey("dlt645-meter-rule");
  EXPECT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
}

// A Read against devices whose answers fall short, one way each: how the run
// ends, what the page says, which fields it marks as not read (by the file's
// names and the view's; they keep what they held), and which configure
// channels' rules it asks. Each row then
// sets `set_field` on the healed device: refused with `set_refusal`, or
// confirmed.
struct ReadCase {
  const char *name;
  std::function<void(DtuSim &)> device;
  Pairs held;  // typed before the Read
  DtuPageRun run;
  std::vector<std::string> messages;
  std::vector<std::string> marked;
  std::vector<int> rules_asked;
  std::pair<std::string, std::string> set_field;
  std::string set_refusal;  // "": the Set goes out
};

void PrintTo(const ReadCase &c, std::ostream *out) { *out << c.name; }

void Personalise(DtuSim &sim, const std::function<void(DtuSimOptions &)> &change) {
  DtuSimOptions options = sim.Options();
  change(options);
  sim.SetOptions(options);
}

const std::string kLongAddress = std::string("dlt645-meter-cfg : ch:1/addr:") + std::string(10240, '1');
const std::vector<int> kEveryRule = {1, 2, 3, 4, 5, 6};

const ReadCase kReadCases[] = {
    {"EmptyRuleIsNoRule",
     [](DtuSim &sim) { sim.Store().FromJson(R"({"channels": {"dlt645-meter-rule": {"2": ""}}})"); },
     {{"rule2", "1"}}, DtuPageRun::kDone, {}, {"rule2", "paramCnt2", "tag2_1", "ruleDi2_1", "dataType2_1",
     "dataEndian2_1", "dataRule2_1", "rate2_1"}, kEveryRule, {"cycle1", "30"}, ""},
    {"CountZeroAsksTheShownChannelOnly",
     [](DtuSim &sim) { Personalise(sim, [](DtuSimOptions &o) { o.bad_values["dlt645-channel"] = "0"; }); },
     {}, DtuPageRun::kDone, {}, {}, {1}, {"rule3", "1"},
     "The rule of channel 3 was not read from the device (channel count 1); nothing was sent."},
    {"RefusedSwitch", [](DtuSim &sim) { Personalise(sim, [](DtuSimOptions &o) { o.error_keys = {"dlt645-switch"}; }); },
     {{"funcSwitch", "1"}}, DtuPageRun::kDeviceError, {"The device refused funcSwitch (ERROR)"}, {"funcSwitch", "Switch"},
     kEveryRule, {"cycle1", "30"}, ""},
    {"AddressTooLong",
     [](DtuSim &sim) {
       Personalise(sim, [](DtuSimOptions &o) {
         o.bad_values["dlt645-meter-cfg"] = kLongAddress.substr(19) + "/preamble:4/cycle:60/diNum:1";
       });
     },
     {{"addr1", "000000000009"}}, DtuPageRun::kFailed,
     {"The device's answer for addr1 could not be read: " + kLongAddress.substr(0, 64)}, {"addr1"}, kEveryRule,
     {"cycle1", "30"}, ""},
    {"ItemsUnreadable",
     [](DtuSim &sim) {
       sim.Store().Set("dlt645-meter-rule", "ch:2/rule:1/paramCnt:1");
       Personalise(sim, [](DtuSimOptions &o) { o.bad_values["dlt645-meter-rule-item"] = "ch:2"; });
     },
     {}, DtuPageRun::kFailed, {"The device's answer for tag2_1 could not be read: dlt645-meter-rule-item : ch:2"},
     {"tag2_1", "ruleDi2_1", "dataType2_1", "dataEndian2_1", "dataRule2_1", "rate2_1"}, kEveryRule,
     {"cycle1", "30"}, ""},
};

class Dlt645Read : public Dlt645Page, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(Dlt645Read, NamesWhatItDidNotGetAndKeepsTheRest) {
  const ReadCase &c = GetParam();
  c.device(Sim());
  Fill(c.held);
  EXPECT_EQ(DtuPageRunRead(*page_, kTimeoutMs), c.run);
  EXPECT_EQ(messages_, c.messages);
  EXPECT_EQ(page_->MarkedFields(), c.marked);
  for (const auto &[name, value] : c.held) EXPECT_EQ(Field(name), value) << name;
  std::vector<int> asked;
  for (int ch = 1; ch <= kDlt645Channels; ++ch) {
    const std::vector<std::string> lines = Lines();
    if (std::count(lines.begin(), lines.end(), "AT+ZEVCFG=get|dlt645-meter-rule|ch:" + std::to_string(ch))) {
      asked.push_back(ch);
    }
  }
  EXPECT_EQ(asked, c.rules_asked);
  EXPECT_EQ(Field("addr2"), "") << "a channel beyond the count is not the device's";

  // The device heals; what the Read left is what the Set writes.
  Sim().SetOptions(DtuSimOptions());
  messages_.clear();
  Fill({c.set_field});
  const bool refused = !c.set_refusal.empty();
  EXPECT_EQ(DtuPageRunSet(*page_, kTimeoutMs), refused ? DtuPageRun::kRefused : DtuPageRun::kDone);
  EXPECT_EQ(messages_, std::vector<std::string>{refused ? c.set_refusal : kConfigured});
}

INSTANTIATE_TEST_SUITE_P(Cases, Dlt645Read, ::testing::ValuesIn(kReadCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Six Parse rules of eight items: 111 lines, more than the command ring
// holds, go out as one action and every one of them reaches the device.
TEST_F(Dlt645Page, ASetLongerThanTheCommandRingGoesOutWhole) {
  ASSERT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
  for (int c = 1; c <= kDlt645Channels; ++c) {
    const std::string n = std::to_string(c);
    Fill({{"rule" + n, "1"}, {"paramCnt" + n, "8"}});
    for (int p = 1; p <= kDlt645Params; ++p) {
      const std::string np = n + "_" + std::to_string(p);
      Fill({{"tag" + np, "t" + np}, {"ruleDi" + np, "0201010" + std::to_string(p)}});
    }
  }
  const size_t before = Lines().size();
  EXPECT_EQ(DtuPageRunSet(*page_, 30000), DtuPageRun::kDone);
  EXPECT_EQ(Lines().size() - before, 111u);
  EXPECT_EQ(Sim().Store().ChannelValue("dlt645-meter-rule-item", "6/8"),
            "ch:6/paramId:8/tag:t6_8/di:02010108/dataType:0/dataEndian:0/dataRule:0/rate:1");
}

TEST_F(Dlt645Page, SaveAndReadLocalKeepTheSection) {
  WriteConfig("[UART]\r\nBaudrate=9600\r\n");
  Fill(kTwoChannels);
  Fill({{"configChannel", "2"}, {"rule2", "1"}, {"paramCnt2", "1"}, {"tag2_1", "Ua"}, {"ruleDi2_1", "02010100"},
        {"rate2_1", ""}});
  ASSERT_TRUE(page_->OnBnClickedBtSaveLocal());
  const std::string file = ReadConfig();
  for (const char *line : {"funcSwitch=1", "maxChannel=2", "addr1=000012345678", "preamble1=4", "di1_2=00020000",
                           "diNum2=3", "rule2=1", "paramCnt2=1", "tag2_1=Ua", "ruleDi2_1=02010100", "rate2_1=1"}) {
    EXPECT_NE(file.find(std::string(line) + "\r\n"), std::string::npos) << line;
  }
  DtuDLT645 other;
  ASSERT_TRUE(other.OnBnClickedBtReadLocal());
  std::string value;
  for (const auto &[name, expected] : Pairs{{"DiList1", "00010000,00020000"}, {"cycle2", "5"}, {"Rule", "0"},
                                            {"tag2_1", "Ua"}, {"paramCnt2", "1"}}) {
    other.GetField(name, value);
    EXPECT_EQ(value, expected) << name;
  }
  // An address longer than the file keeps is refused, not cut.
  Fill({{"addr1", "0000123456789"}});
  messages_.clear();
  EXPECT_FALSE(page_->OnBnClickedBtSaveLocal());
  EXPECT_EQ(messages_, std::vector<std::string>{"Channel 1 Meter Addr cannot exceed 12 characters; nothing was saved!"});
}

}  // namespace
