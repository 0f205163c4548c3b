// The Modbus cache page's step sequences against the simulated device:
// order and pacing of the steps, failures naming the step, and the mutual
// exclusion with the Modbus polling.
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

class ModbusCacheWire : public PageWireTest {
 protected:
  void SetUp() override {
    PageWireTest::SetUp();
    modbus_ = std::make_unique<DtuModbus>();
    cache_ = std::make_unique<DtuModbusCache>();
    DtuModbusShareSwitches(*modbus_, *cache_);  // as the window has them
  }
  void TearDown() override {
    cache_.reset();
    modbus_.reset();
    PageWireTest::TearDown();
  }
  void Fill(const std::vector<std::pair<std::string, std::string>> &fields, DtuModbusCache *page = nullptr) {
    for (const auto &[name, value] : fields) {
      std::string error;
      ASSERT_TRUE((page ? page : cache_.get())->SetField(name, value, error)) << error;
    }
  }
  void FillTwoChannels(DtuModbusCache *page = nullptr) {
    Fill({{"funcSwitch", "1"}, {"maxChannel", "2"}, {"slave1", "1"}, {"Function1", "3"}, {"Addr1", "0"},
          {"Len1", "10"}, {"Cycle1", "5"}, {"slave2", "2"}, {"Function2", "1"}, {"Addr2", "100"},
          {"Len2", "2000"}, {"Cycle2", "60"}},
         page);
  }
  void AckOnly() {
    DtuSimOptions options = Sim().Options();
    options.ack_only_keys = {"modbus-cache-switch", "modbus-cache-channel", "modbus-cache-slave-cfg"};
    Sim().SetOptions(options);
  }
  bool WaitIdle() {
    return DtuPageWaitUntil([&] { return !cache_->Busy(); }, kTimeoutMs);
  }
  std::unique_ptr<DtuModbus> modbus_;
  std::unique_ptr<DtuModbusCache> cache_;
};

const std::vector<std::string> kTwoChannelSet = {
    "AT+ZEVCFG=set|modbus-cache-switch|0", "AT+ZEVCFG=set|modbus-cache-slave-cfg|010001030000000000100005",
    "AT+ZEVCFG=set|modbus-cache-slave-cfg|020002010000010020000060", "AT+ZEVCFG=set|modbus-cache-channel|2",
    "AT+ZEVCFG=set|modbus-cache-switch|1"};

}  // namespace

class ModbusCacheSetOrder : public ModbusCacheWire, public ::testing::WithParamInterface<bool> {};

// With answer lines or with bare OKs only, each step waits for its own answer.
TEST_P(ModbusCacheSetOrder, TwoChannelsGoOutInOrderAndReadBack) {
  if (GetParam()) AckOnly();
  FillTwoChannels();
  ASSERT_EQ(DtuPageRunSet(*cache_, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Lines(), kTwoChannelSet);
  EXPECT_EQ(messages_, (std::vector<std::string>{"Modbus cache proxy configuration completed."}));
  EXPECT_EQ(cache_->StoredSwitch(), 1);
  if (GetParam()) return;  // an acknowledging device keeps nothing to read back
  DtuModbusCache *before = cache_.release();
  delete before;
  cache_ = std::make_unique<DtuModbusCache>();
  ASSERT_EQ(DtuPageRunRead(*cache_, kTimeoutMs), DtuPageRun::kDone);
  std::string value;
  cache_->GetField("Len2", value);
  EXPECT_EQ(value, "2000");
  cache_->GetField("Function2", value);
  EXPECT_EQ(value, "1");
}

INSTANTIATE_TEST_SUITE_P(AnswerLinesOrAcks, ModbusCacheSetOrder, ::testing::Bool());

TEST_F(ModbusCacheWire, AChannelAnswerOneDigitOffFailsAtThatChannel) {
  FillTwoChannels();
  DtuSimOptions options = Sim().Options();
  options.bad_values = {{"modbus-cache-slave-cfg", "010001030000000000100006"}};  // echoes cycle 6 for 5
  Sim().SetOptions(options);
  ASSERT_TRUE(cache_->OnBnClickedBtSet());
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Lines(), std::vector<std::string>(kTwoChannelSet.begin(), kTwoChannelSet.begin() + 2));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Invalid Modbus cache proxy response: Channel 1 Config."}));
  EXPECT_TRUE(cache_->Failed());
}

TEST_F(ModbusCacheWire, NoAnswerTimesOutNamingTheStep) {
  DtuSimOptions options = Sim().Options();
  options.silent_every = 2;  // the channel count query goes unanswered
  Sim().SetOptions(options);
  cache_->SetStepTimeoutMs(300);
  ASSERT_TRUE(cache_->OnBnClickedBtRead());
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Modbus cache proxy read/set timeout: Channel Count."}));
}

// Each answer in two bursts, its OK apart: the OK comes while the next line
// is in flight and ends no step of its own.
TEST_F(ModbusCacheWire, ASeparateOkDoesNotAdvanceASecondStep) {
  FillTwoChannels();
  DtuSimOptions options = Sim().Options();
  options.split_gap_ms = 120;
  Sim().SetOptions(options);
  ASSERT_TRUE(cache_->OnBnClickedBtSet());
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Modbus cache proxy configuration completed."}));
  EXPECT_FALSE(cache_->Failed());
}

TEST_F(ModbusCacheWire, CacheAndPollingExcludeEachOther) {
  std::string error;
  ASSERT_TRUE(modbus_->SetField("funcSwitch", "1", error));
  Answer("modbus-cache-switch : 1");
  EXPECT_EQ(cache_->StoredSwitch(), 0);
  EXPECT_FALSE(cache_->ChooseFunctionSwitch(1));
  FillTwoChannels();
  EXPECT_FALSE(cache_->OnBnClickedBtSet());
  EXPECT_EQ(messages_, std::vector<std::string>(3, "Modbus host polling is enabled. Please disable it before "
                                                   "enabling Modbus cache proxy."));
  messages_.clear();
  ASSERT_TRUE(modbus_->SetField("funcSwitch", "0", error));
  ASSERT_TRUE(cache_->ChooseFunctionSwitch(1));
  EXPECT_FALSE(modbus_->ChooseFunctionSwitch(1));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Modbus cache proxy is enabled. Please disable it before "
                                                 "enabling Modbus host polling."}));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(ModbusCacheWire, ValidationNamesTheFirstFailingFieldInPageOrder) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> change;
    std::string message;
  } cases[] = {
      {{{"Len1", "126"}}, "Channel 1 Count range is 1-125."},
      {{{"Addr1", ""}, {"Len1", "0"}}, "Channel 1 Start Address cannot be empty."},
      {{{"Addr2", "65000"}, {"Len2", "600"}}, "Channel 2 start address + quantity - 1 must be <= 65535."},
      {{{"slave2", "1"}, {"Function2", "3"}, {"Addr2", "0"}, {"Len2", "10"}},
       "Channel 1 and Channel 2 have duplicate polling rule."},
  };
  for (const Case &c : cases) {
    FillTwoChannels();
    Fill(c.change);
    messages_.clear();
    EXPECT_FALSE(cache_->OnBnClickedBtSet());
    EXPECT_EQ(messages_, std::vector<std::string>{c.message});
  }
  EXPECT_TRUE(Lines().empty());
}

// A page alone, as varnokctl has it, asks the device for its polling switch
// before it shows or writes the proxy ON: the device never has both on.
TEST_F(ModbusCacheWire, APageAloneLearnsThePollingSwitchFromTheDevice) {
  SetDeviceValue("modbus-switch", "1");
  SetDeviceValue("modbus-cache-switch", "1");
  DtuModbusCache alone;
  EXPECT_EQ(DtuPageRunRead(alone, kTimeoutMs), DtuPageRun::kRefused);
  std::string shown;
  alone.GetField("funcSwitch", shown);
  EXPECT_EQ(shown, "0");
  FillTwoChannels(&alone);
  EXPECT_EQ(DtuPageRunSet(alone, kTimeoutMs), DtuPageRun::kRefused);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=get|modbus-cache-switch", "AT+ZEVCFG=get|modbus-switch",
                                               "AT+ZEVCFG=get|modbus-switch"}));
  EXPECT_EQ(messages_, std::vector<std::string>(2, "Modbus host polling is enabled. Please disable it before "
                                                   "enabling Modbus cache proxy."));
  // With the polling off, ON follows the question.
  SetDeviceValue("modbus-switch", "0");
  Sim().ClearReceived();
  EXPECT_EQ(DtuPageRunSet(alone, kTimeoutMs), DtuPageRun::kDone);
  std::vector<std::string> expected = {"AT+ZEVCFG=get|modbus-switch"};
  expected.insert(expected.end(), kTwoChannelSet.begin(), kTwoChannelSet.end());
  EXPECT_EQ(Lines(), expected);
}
