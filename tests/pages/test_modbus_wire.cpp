// The Modbus polling, forwarding rule and cache pages against the simulated
// device through the real command port.
#include <memory>
#include <string>
#include <vector>

#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/modbus/dtu_modbus_switches.h"
#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "tests/pages/wire_fixture.h"

namespace {

constexpr int kTimeoutMs = 10000;
using Pairs = std::vector<std::pair<std::string, std::string>>;

void Fill(DtuPage &page, const Pairs &fields) {
  for (const auto &[name, value] : fields) {
    std::string error;
    ASSERT_TRUE(page.SetField(name, value, error)) << error;
  }
}

std::string Field(const DtuPage &page, const std::string &name) {
  std::string value;
  EXPECT_TRUE(page.GetField(name, value)) << name;
  return value;
}

const Pairs kTwoPollingChannels = {{"funcSwitch", "1"}, {"maxChannel", "2"},   {"slave1", "1"},
                                   {"Function1", "3"},  {"Addr1", "0"},        {"Len1", "10"},
                                   {"Cycle1", "5"},     {"slave2", "17"},      {"Function2", "4"},
                                   {"Addr2", "40001"},  {"Len2", "2"},         {"Cycle2", "3600"}};

class ModbusWire : public PageWireTest {
 protected:
  // Built after the fixture's set-up cleared the answer table.
  // As the window has them: the cache page tells the polling page its switch.
  void SetUp() override {
    PageWireTest::SetUp();
    owned_ = std::make_unique<DtuModbus>();
    cache_ = std::make_unique<DtuModbusCache>();
    DtuModbusShareSwitches(*owned_, *cache_);
  }
  void TearDown() override {
    cache_.reset();
    owned_.reset();
    PageWireTest::TearDown();
  }
  std::unique_ptr<DtuModbus> owned_;
  std::unique_ptr<DtuModbusCache> cache_;
  DtuModbus &Page() { return *owned_; }
};

}  // namespace

TEST_F(ModbusWire, SetThenReadRoundTripsTwoChannels) {
  Fill(Page(), kTwoPollingChannels);
  ASSERT_TRUE(Page().OnBnClickedBtModbusSet());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !Page().SetPending(); }, kTimeoutMs));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=set|modbus-switch|1", "AT+ZEVCFG=set|modbus-channel|2",
                                               "AT+ZEVCFG=set|modbus-slave-cfg|00010001000300000000001005",
                                               "AT+ZEVCFG=set|modbus-slave-cfg|0002001700040004000100023600"}));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Modbus polling configuration succeeded"}));

  DtuModbus fresh;  // reads into a page that knows nothing
  EXPECT_EQ(DtuPageRunRead(fresh, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Field(fresh, "maxChannel"), "2");
  EXPECT_EQ(Field(fresh, "Addr2"), "40001");
  EXPECT_EQ(Field(fresh, "Cycle2"), "3600");
  EXPECT_EQ(fresh.WindowStart(2), 40001);
  EXPECT_EQ(fresh.WindowLength(2), 2);
}

TEST_F(ModbusWire, SwitchOffSendsOnlyTheSwitchAndConfirmsTheDisable) {
  Fill(Page(), {{"funcSwitch", "0"}, {"packetSplit", "1"}});
  ASSERT_TRUE(Page().OnBnClickedBtModbusSet());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !Page().SetPending(); }, kTimeoutMs));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=set|modbus-switch|2"}));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Modbus disable configuration succeeded"}));
}

TEST_F(ModbusWire, ValuesThatDoNotFitTheirWidthAreRefusedUnsent) {
  Fill(Page(), kTwoPollingChannels);
  Fill(Page(), {{"Len2", "12345"}});
  EXPECT_FALSE(Page().OnBnClickedBtModbusSet());
  EXPECT_EQ(messages_, (std::vector<std::string>{
                           "Channel 2 Register Count must fit in 4 digits (at most 9999); nothing was sent!"}));
  EXPECT_FALSE(Page().SetPending());
  EXPECT_TRUE(Lines().empty());
}

TEST_F(ModbusWire, TransparentRuleSendsOneLineAndConfirmsOnItsAnswer) {
  Fill(Page(), {{"configChannel", "3"}, {"rule3", "0"}});
  ASSERT_TRUE(Page().OnBnClickedBtModbusRuleSet());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !Page().SetPending(); }, kTimeoutMs));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=set|modbus-slave-rule|000300"}));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Forward rule parameter configuration succeeded"}));
}

TEST_F(ModbusWire, ParseRuleNeedsThePollingWindowFirst) {
  Fill(Page(), {{"rule1", "1"}, {"maxParamCnt1", "1"}, {"startOffset11", "0"}, {"rate11", "1"}});
  EXPECT_FALSE(Page().OnBnClickedBtModbusRuleSet());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Please click 'Read' in polling parameters first."}));
}

// A rule written up to a bad parameter would leave the device counting
// parameters it never got: every one is checked before any goes out.
TEST_F(ModbusWire, RuleSetChecksEveryParameterBeforeSendingAny) {
  Fill(Page(), kTwoPollingChannels);
  ASSERT_TRUE(Page().OnBnClickedBtModbusSet());  // window of channel 1: registers 0..9
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !Page().SetPending(); }, kTimeoutMs));
  Sim().ClearReceived();
  messages_.clear();
  Fill(Page(), {{"rule1", "1"},        {"maxParamCnt1", "2"}, {"tag11", std::string(40, 't')},
               {"startOffset11", "9"}, {"dataType11", "3"},   {"rate11", "1"},
               {"startOffset12", "1"}, {"rate12", "0"}});
  EXPECT_FALSE(Page().OnBnClickedBtModbusRuleSet());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Parameter 2 scale must be greater than 0!"}));
  EXPECT_FALSE(Page().SetPending());
  // Fixed, both go out as one action; the tag is cut to 31 with a word.
  messages_.clear();
  Fill(Page(), {{"rate12", "5"}});
  ASSERT_TRUE(Page().OnBnClickedBtModbusRuleSet());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !Page().SetPending(); }, kTimeoutMs));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=set|modbus-slave-rule|0001010201" "31" +
                                                   std::string(31, 't') + "0000000903000000000001",
                                               "AT+ZEVCFG=set|modbus-slave-rule|0001010202" "00" "0000000100000000000005"}));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Channel 1 Param 1 Parameter ID has 40 characters; only its first "
                                                 "31 are sent.",
                                                 "Forward rule parameter configuration succeeded"}));
  // The same last register as an int32 runs past the window.
  messages_.clear();
  Fill(Page(), {{"dataType11", "4"}});
  EXPECT_FALSE(Page().OnBnClickedBtModbusRuleSet());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Channel1 Parameter1 data length is out of channel range!"}));
}

TEST_F(ModbusWire, WholePageSetAndReadCarryTheRules) {
  Fill(Page(), kTwoPollingChannels);
  Fill(Page(), {{"rule1", "1"}, {"maxParamCnt1", "2"}, {"tag11", "temp"}, {"startOffset11", "0"},
               {"dataType11", "3"}, {"rate11", "1"}, {"tag12", "volt"}, {"startOffset12", "2"},
               {"dataType12", "4"}, {"rate12", "10"}, {"rule2", "0"}});
  ASSERT_EQ(DtuPageRunSet(Page(), kTimeoutMs), DtuPageRun::kDone);
  DtuModbus fresh;
  ASSERT_EQ(DtuPageRunRead(fresh, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Field(fresh, "rule1"), "1");
  EXPECT_EQ(Field(fresh, "maxParamCnt1"), "2");
  EXPECT_EQ(Field(fresh, "tag12"), "volt");
  EXPECT_EQ(Field(fresh, "dataType12"), "4");
  EXPECT_EQ(Field(fresh, "rate12"), "10");
  EXPECT_EQ(Field(fresh, "rule2"), "0");
}

namespace {

// What the whole page's Read makes of a device with the polling off and a
// Parse rule on channel 1, as it answers.
struct RuleReadCase {
  const char *name;
  void (*personalise)(DtuSimOptions &);
  DtuPageRun run;
  const char *message;  // the failure named, "" for none
};

void PrintTo(const RuleReadCase &c, std::ostream *out) { *out << c.name; }

class ModbusRuleRead : public ModbusWire, public ::testing::WithParamInterface<RuleReadCase> {};

}  // namespace

TEST_P(ModbusRuleRead, RulesAreReadWhateverTheSwitchAndAFailureIsNamed) {
  const RuleReadCase &c = GetParam();
  Sim().AnswerFor("AT+ZEVCFG=set|modbus-slave-rule|000101010104temp0000000003000000000001\r\n");
  DtuSimOptions options = Sim().Options();
  c.personalise(options);
  Sim().SetOptions(options);
  DtuModbus fresh;  // alone, as varnokctl has it
  EXPECT_EQ(DtuPageRunRead(fresh, kTimeoutMs), c.run);
  if (c.run != DtuPageRun::kDone) {
    EXPECT_EQ(messages_, std::vector<std::string>{c.message});
    return;
  }
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=get|modbus-switch", "AT+ZEVCFG=get|modbus-channel",
                                               "AT+ZEVCFG=get|modbus-slave-cfg|0001",
                                               "AT+ZEVCFG=get|modbus-slave-rule|0001FF",
                                               "AT+ZEVCFG=get|modbus-slave-rule|00010001"}));
  EXPECT_EQ(Field(fresh, "tag11"), "temp");
  EXPECT_EQ(Field(fresh, "rule1"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ModbusRuleRead,
    ::testing::Values(
        RuleReadCase{"AsTheSimulatorAnswers", [](DtuSimOptions &) {}, DtuPageRun::kDone, ""},
        RuleReadCase{"ErrorToTheRuleHeader", [](DtuSimOptions &o) { o.error_keys = {"modbus-slave-rule"}; },
                     DtuPageRun::kDeviceError, "The device refused rule1 (ERROR)"},
        RuleReadCase{"NulInTheParameter",
                     [](DtuSimOptions &o) {
                       o.bad_values = {{"modbus-slave-rule", std::string("000101010104te\0mp0000000003000000000001", 38)}};
                     },
                     DtuPageRun::kFailed, "The device's answer for tag11 could not be read: modbus-slave-rule : 000101010104te"},
        RuleReadCase{"EmptyCount", [](DtuSimOptions &o) { o.empty_keys = {"modbus-channel"}; }, DtuPageRun::kFailed,
                     "The device's answer for maxChannel could not be read: modbus-channel :"}),
    [](const auto &info) { return std::string(info.param.name); });

// What a Set sends for typed values the device would read otherwise: each
// refusal names the field, and nothing goes out.
TEST_F(ModbusWire, TypedValuesTheDeviceWouldReadOtherwiseAreRefused) {
  Fill(Page(), kTwoPollingChannels);
  ASSERT_TRUE(Page().OnBnClickedBtModbusSet());  // window of channel 1: registers 0..9
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !Page().SetPending(); }, kTimeoutMs));
  Sim().ClearReceived();
  const Pairs rule = {{"rule1", "1"}, {"maxParamCnt1", "1"}, {"tag11", "t"}, {"startOffset11", "1"}, {"rate11", "1"}};
  struct Case {
    Pairs change;
    bool polling;  // the polling Set, else the rule Set
    const char *message;
  } cases[] = {
      {{{"tag11", "a[dec]b"}}, false, "Channel 1 Param 1 Parameter ID cannot contain \"[dec]\"; nothing was sent!"},
      {{{"tag11", "a[comma]"}}, false, "Channel 1 Param 1 Parameter ID cannot contain \"[comma]\"; nothing was sent!"},
      {{{"startOffset11", "1x"}}, false, "Parameter 1 Register Address must be a decimal whole number; nothing was sent!"},
      {{{"rate11", "2.5"}}, false, "Parameter 1 Multiplier must be a decimal whole number; nothing was sent!"},
      {{{"Addr1", ""}}, true, "Channel 1 Register Address must be a decimal whole number; nothing was sent!"},
      {{{"slave2", "17abc"}}, true, "Channel 2 Slave Address must be a decimal whole number; nothing was sent!"},
  };
  for (const Case &c : cases) {
    Fill(Page(), kTwoPollingChannels);
    Fill(Page(), rule);
    Fill(Page(), c.change);
    messages_.clear();
    EXPECT_FALSE(c.polling ? Page().OnBnClickedBtModbusSet() : Page().OnBnClickedBtModbusRuleSet());
    EXPECT_EQ(messages_, std::vector<std::string>{c.message});
  }
  EXPECT_TRUE(Lines().empty());
}

// A page alone, as varnokctl has it, asks the device whether its cache proxy
// is on before it writes the polling ON; the proxy ON is never joined by it.
TEST_F(ModbusWire, APageAloneWritesNoPollingOnWhileTheDevicesCacheIsOn) {
  SetDeviceValue("modbus-cache-switch", "1");
  DtuModbus alone;
  Fill(alone, kTwoPollingChannels);
  EXPECT_EQ(DtuPageRunSet(alone, kTimeoutMs), DtuPageRun::kRefused);
  EXPECT_EQ(Lines(), std::vector<std::string>{"AT+ZEVCFG=get|modbus-cache-switch"});
  EXPECT_EQ(messages_, std::vector<std::string>{"Modbus cache proxy is enabled. Please disable it before enabling "
                                                "Modbus host polling."});
}
