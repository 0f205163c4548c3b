// Save to Local then Read Local of the Modbus pages gives back what was
// saved: [MODBUS] with [DECODE] for the config channel, and [MODBUS_CACHE].
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/dtu_config.h"
#include "config/dtu_config_keys.h"
#include "pages/dtu_page_runner.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "tests/pages/page_test_support.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

struct LocalCase {
  const char *page;
  Pairs fields;
};

class ModbusLocal : public PageTest, public ::testing::WithParamInterface<LocalCase> {};

bool Save(DtuPage &page) {
  if (auto *modbus = dynamic_cast<DtuModbus *>(&page)) return modbus->OnBnClickedBtSaveLocal();
  return static_cast<DtuModbusCache &>(page).OnBnClickedBtSaveLocal();
}

bool ReadLocal(DtuPage &page) {
  if (auto *modbus = dynamic_cast<DtuModbus *>(&page)) return modbus->OnBnClickedBtReadLocal();
  return static_cast<DtuModbusCache &>(page).OnBnClickedBtReadLocal();
}

}  // namespace

TEST_P(ModbusLocal, SaveThenReadLocalGivesTheFieldsBack) {
  ASSERT_TRUE(DtuConfig::CreateDefaultFile(ConfigPath()));
  std::unique_ptr<DtuPage> page = DtuCreatePage(GetParam().page);
  for (const auto &[name, value] : GetParam().fields) {
    std::string error;
    ASSERT_TRUE(page->SetField(name, value, error)) << error;
  }
  ASSERT_TRUE(Save(*page)) << (messages_.empty() ? "" : messages_.back());
  EXPECT_EQ(messages_.back(), DtuPageFileText(DtuTextId::kSaveConfigSucceeded));
  page.reset();
  std::unique_ptr<DtuPage> fresh = DtuCreatePage(GetParam().page);
  // The rule read back is the one of the channel chosen on the page.
  for (const auto &[name, value] : GetParam().fields) {
    std::string error;
    if (name == "configChannel") {
      ASSERT_TRUE(fresh->SetField(name, value, error));
    }
  }
  ASSERT_TRUE(ReadLocal(*fresh));
  EXPECT_EQ(messages_.back(), DtuPageFileText(DtuTextId::kReadLocalSucceeded));
  for (const auto &[name, value] : GetParam().fields) {
    std::string read;
    fresh->GetField(name, read);
    EXPECT_EQ(read, value) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ModbusLocal,
    ::testing::Values(
        LocalCase{"modbus",
                  {{"funcSwitch", "1"}, {"maxChannel", "2"}, {"slave1", "1"}, {"Function1", "3"}, {"Addr1", "0"},
                   {"Len1", "10"}, {"Cycle1", "5"}, {"slave2", "17"}, {"Addr2", "40001"}, {"Cycle2", "3600"},
                   {"configChannel", "2"}, {"rule2", "1"}, {"maxParamCnt2", "2"}, {"tag22", "volt"},
                   {"startOffset22", "40002"}, {"dataType22", "6"}, {"dataEndian22", "3"}, {"rate22", "100"}}},
        LocalCase{"modbuscache",
                  {{"funcSwitch", "1"}, {"maxChannel", "2"}, {"slave1", "1"}, {"Function1", "3"}, {"Addr1", "0"},
                   {"Len1", "10"}, {"Cycle1", "5"}, {"slave2", "2"}, {"Function2", "1"}, {"Addr2", "100"},
                   {"Len2", "2000"}, {"Cycle2", "60"}}}));

namespace {

struct StoredCase {
  const char *page;
  Pairs stored;    // "SECTION/key", value put into the file
  Pairs expected;  // the page's field, its value after Read Local
};

class ModbusStored : public PageTest, public ::testing::WithParamInterface<StoredCase> {};

}  // namespace

// A value the page cannot take comes back as the page's fallback (a switch
// or list OFF/first, a count 1) or leaves the field as it was; a count out
// of range still reads the channels and parameters the file holds.
TEST_P(ModbusStored, UnusableStoredValuesComeBackAsTheirFallback) {
  ASSERT_TRUE(DtuConfig::CreateDefaultFile(ConfigPath()));
  DtuConfig config;
  ASSERT_TRUE(config.LoadFromFile(ConfigPath()));
  for (const auto &[where, value] : GetParam().stored) {
    const size_t slash = where.find('/');
    ASSERT_TRUE(DtuConfigPut(config, where.substr(0, slash), where.substr(slash + 1), value)) << where;
  }
  ASSERT_TRUE(config.SaveToFile(ConfigPath()));
  std::unique_ptr<DtuPage> page = DtuCreatePage(GetParam().page);
  ASSERT_TRUE(ReadLocal(*page));
  for (const auto &[name, value] : GetParam().expected) {
    std::string read;
    ASSERT_TRUE(page->GetField(name, read)) << name;
    EXPECT_EQ(read, value) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ModbusStored,
    ::testing::Values(
        StoredCase{"modbus",
                   {{"MODBUS/funcSwitch", "5"}, {"MODBUS/maxChannel", "9"}, {"MODBUS/slave6", "7"},
                    {"DECODE/rule1", "3"}, {"DECODE/maxParamCnt1", "9"}, {"DECODE/dataType11", "99"},
                    {"DECODE/dataEndian11", "-1"}, {"DECODE/tag16", "far"}},
                   {{"funcSwitch", "0"}, {"maxChannel", "1"}, {"slave6", "7"}, {"rule1", "0"},
                    {"maxParamCnt1", "1"}, {"dataType11", "0"}, {"dataEndian11", "0"}, {"tag16", "far"}}},
        StoredCase{"modbuscache",
                   {{"MODBUS_CACHE/funcSwitch", "2"}, {"MODBUS_CACHE/maxChannel", "0"},
                    {"MODBUS_CACHE/slave1", "5"}, {"MODBUS_CACHE/Function1", "7"}, {"MODBUS_CACHE/slave2", "9"}},
                   {{"funcSwitch", "0"}, {"maxChannel", "1"}, {"slave1", "5"}, {"Function1", "3"}, {"slave2", ""}}}));
