// Modbus payloads: polling channels, forwarding rules and cache channels,
// with the device's examples.
#include <gtest/gtest.h>

#include <string>

#include "pages/modbus/dtu_modbus_cache_payload.h"
#include "pages/modbus/dtu_modbus_payload.h"

struct SlaveCfgCase {
  DtuModbusSlaveCfg cfg;
  const char *expected;  // nullptr: refused
};

class SlaveCfgBuild : public ::testing::TestWithParam<SlaveCfgCase> {};

TEST_P(SlaveCfgBuild, BuildsOrRefuses) {
  const auto built = DtuModbusBuildSlaveCfg(GetParam().cfg);
  if (GetParam().expected == nullptr) {
    EXPECT_FALSE(built.has_value());
  } else {
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(*built, GetParam().expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, SlaveCfgBuild,
    ::testing::Values(SlaveCfgCase{{1, 1, 3, 0, 10, 5}, "00010001000300000000001005"},
                      SlaveCfgCase{{1, 1, 3, 0, 10, 150}, "000100010003000000000010150"},
                      SlaveCfgCase{{2, 17, 4, 40001, 2, 3600}, "0002001700040004000100023600"},
                      SlaveCfgCase{{1, 1, 3, 99999999, 9999, 1}, "00010001000399999999999901"},
                      SlaveCfgCase{{1, 1, 3, 0, 12345, 5}, nullptr},      // count needs 5 digits
                      SlaveCfgCase{{1, 1, 3, 100000000, 1, 5}, nullptr},  // address needs 9
                      SlaveCfgCase{{7, 1, 3, 0, 1, 5}, nullptr}));

struct SlaveCfgAnswerCase {
  const char *value;
  DtuModbusSlaveCfgAnswer::Status status;
  int channel;
  const char *count;
  const char *cycle;
};

class SlaveCfgParse : public ::testing::TestWithParam<SlaveCfgAnswerCase> {};

TEST_P(SlaveCfgParse, ParsesAnswers) {
  const SlaveCfgAnswerCase &c = GetParam();
  const DtuModbusSlaveCfgAnswer answer = DtuModbusParseSlaveCfg(c.value);
  EXPECT_EQ(answer.status, c.status);
  if (c.status != DtuModbusSlaveCfgAnswer::kOk) return;
  EXPECT_EQ(answer.channel, c.channel);
  EXPECT_EQ(answer.count, c.count);
  EXPECT_EQ(answer.cycle, c.cycle);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SlaveCfgParse,
    ::testing::Values(
        SlaveCfgAnswerCase{"00010001000300000000001005", DtuModbusSlaveCfgAnswer::kOk, 1, "10", "5"},
        SlaveCfgAnswerCase{" 0002001700040004000100023600\r\n", DtuModbusSlaveCfgAnswer::kOk, 2, "2", "3600"},
        SlaveCfgAnswerCase{"00000001000300000000001005", DtuModbusSlaveCfgAnswer::kOk, 1, "10", "5"},
        SlaveCfgAnswerCase{"0001000100030000000000100", DtuModbusSlaveCfgAnswer::kBadLength, 0, "", ""},
        SlaveCfgAnswerCase{"00010001000300000000001005000", DtuModbusSlaveCfgAnswer::kBadLength, 0, "", ""},
        SlaveCfgAnswerCase{"00070001000300000000001005", DtuModbusSlaveCfgAnswer::kBadChannel, 0, "", ""},
        SlaveCfgAnswerCase{"0001000100030000000000100x", DtuModbusSlaveCfgAnswer::kNotDigits, 0, "", ""},
        SlaveCfgAnswerCase{"  ", DtuModbusSlaveCfgAnswer::kEmpty, 0, "", ""}));

TEST(ModbusRulePayload, BuildsTheDeviceExampleAndCutsLongTags) {
  DtuModbusRuleParam p;
  p.channel = 1, p.rule = 1, p.count = 2, p.param = 1, p.tag = "temp", p.data_type = 3, p.multiplier = 1;
  EXPECT_EQ(DtuModbusBuildRuleParam(p).value(), "000101020104temp0000000003000000000001");
  p.tag = std::string(40, 't');
  EXPECT_EQ(DtuModbusBuildRuleParam(p).value(), "0001010201" "31" + std::string(31, 't') + "0000000003000000000001");
  p.multiplier = 100000000;  // 10^8 does not fit 8 digits
  EXPECT_FALSE(DtuModbusBuildRuleParam(p).has_value());
  EXPECT_EQ(DtuModbusBuildTransparentRule(3), "000300");
  EXPECT_EQ(DtuModbusRuleHeaderArgument(2), "0002FF");
  EXPECT_EQ(DtuModbusRuleParamArgument(2, 5), "00020005");
}

TEST(ModbusRulePayload, ParsesHeadersWithinTheirLayout) {
  struct Case {
    const char *value;
    bool ok;
    int rule;
    int count;
  } cases[] = {
      {"00010102", true, 1, 2}, {"00010000", true, 0, 0}, {"000100", true, 0, 0},
      {"000101", false, 0, 0},    // Parse without a count
      {"00010107", false, 0, 0},  // more than six parameters
      {"0001", false, 0, 0},      {"00010x02", false, 0, 0},
  };
  for (const Case &c : cases) {
    const auto header = DtuModbusParseRuleHeader(c.value);
    ASSERT_EQ(header.has_value(), c.ok) << c.value;
    if (!c.ok) continue;
    EXPECT_EQ(header->rule, c.rule) << c.value;
    EXPECT_EQ(header->count, c.count) << c.value;
  }
}

TEST(ModbusRulePayload, ParsesParametersAndIgnoresShortOnes) {
  const auto p = DtuModbusParseRuleParam("000101020204volt0000001204010200000010");
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->param, 2);
  EXPECT_EQ(p->tag, "volt");
  EXPECT_EQ(p->address, 12);
  EXPECT_EQ(p->data_type, 4);
  EXPECT_EQ(p->byte_order, 1);
  EXPECT_EQ(p->convert, 2);
  EXPECT_EQ(p->multiplier, 10);
  EXPECT_EQ(DtuModbusParseRuleParam("00010000").value().rule, 0);
  for (const char *bad : {"000101020204volt000000120401020000001",  // one digit short
                          "000101020240volt0000001204010200000010",  // tag length past the text
                          "00010102"}) {
    EXPECT_FALSE(DtuModbusParseRuleParam(bad).has_value()) << bad;
  }
}

TEST(ModbusCachePayload, BuildsAndParsesTheDeviceExample) {
  DtuModbusCacheChannel c{1, 1, 3, 0, 10, 5};
  EXPECT_EQ(DtuModbusBuildCacheChannel(c).value(), "010001030000000000100005");
  EXPECT_EQ(DtuModbusParseCacheChannel("010001030000000000100005").value(), c);
  for (const char *bad : {"01000103000000000010000", "0100010300000000001000050", "070001030000000000100005",
                          "01000103000000000010000x"}) {
    EXPECT_FALSE(DtuModbusParseCacheChannel(bad).has_value()) << bad;
  }
  EXPECT_EQ(DtuModbusCacheAnswerValue("  x: 0105 "), "0105");
}

TEST(ModbusCachePayload, ChecksRangesByFunctionCode) {
  struct Case {
    DtuModbusCacheChannel channel;
    bool valid;
  } cases[] = {
      {{1, 1, 1, 0, 2000, 5}, true},      {{1, 1, 3, 0, 126, 5}, false},  {{1, 1, 3, 0, 125, 5}, true},
      {{1, 1, 3, 65000, 600, 5}, false},  {{1, 248, 3, 0, 1, 5}, false},  {{1, 1, 5, 0, 1, 5}, false},
      {{1, 1, 3, 0, 1, 3601}, false},     {{1, 1, 2, 63536, 2000, 1}, true},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(DtuModbusCacheChannelValid(c.channel), c.valid) << c.channel.start << "+" << c.channel.quantity;
  }
  EXPECT_TRUE(DtuModbusCacheSameRequest({1, 1, 3, 0, 10, 5}, {2, 1, 3, 0, 10, 60}));
}
