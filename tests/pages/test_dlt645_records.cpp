// The DL/T 645 record formats: meter channel records, rules and rule items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/dlt645/dtu_dlt645_records.h"

namespace {

using Codes = std::vector<std::string>;

TEST(Dlt645DiList, SplitsTrimsAndKeepsEight) {
  struct Case {
    std::string list;
    Codes codes;
  } cases[] = {
      {"00010000, 00020000", {"00010000", "00020000"}},
      {"", {}},
      {" , ,", {}},
      {"0001 0000,,00020000,", {"00010000", "00020000"}},  // blanks inside go too
      {"1,2,3,4,5,6,7,8,9,10", {"1", "2", "3", "4", "5", "6", "7", "8"}},
  };
  for (const Case &c : cases) EXPECT_EQ(DtuDlt645SplitDiList(c.list), c.codes) << c.list;
}

TEST(Dlt645MeterPayload, CarriesTheDiPart) {
  EXPECT_EQ(DtuDlt645MeterPayload(1, "000012345678", "4", "60", "2", {"00010000", "00020000"}),
            "ch:1/addr:000012345678/preamble:4/cycle:60/diNum:2/di1:00010000/di2:00020000;");
  // no DI codes with a DI count of 3: the count alone
  EXPECT_EQ(DtuDlt645MeterPayload(2, "12", "1", "5", "3", {}), "ch:2/addr:12/preamble:1/cycle:5/diNum:3;");
  const Codes ten = DtuDlt645SplitDiList("1,2,3,4,5,6,7,8,9,10");
  EXPECT_EQ(DtuDlt645DiPart(ten), "/di1:1/di2:2/di3:3/di4:4/di5:5/di6:6/di7:7/di8:8");
}

struct MeterCase {
  const char *name;
  std::string value;
  std::vector<int> channels;     // ch of each record
  std::vector<std::string> dis;  // DiList() of each record
};

class Dlt645ParseMeters : public testing::TestWithParam<MeterCase> {};

TEST_P(Dlt645ParseMeters, ReadsEveryRecord) {
  const MeterCase &c = GetParam();
  const std::vector<DtuDlt645Meter> meters = DtuDlt645ParseMeters(c.value);
  ASSERT_EQ(meters.size(), c.channels.size());
  for (size_t i = 0; i < meters.size(); ++i) {
    EXPECT_EQ(meters[i].ch, c.channels[i]);
    EXPECT_EQ(meters[i].DiList(), c.dis[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Dlt645ParseMeters,
    testing::Values(
        MeterCase{"TwoRecordsInOneAnswer",
                  "ch:2/addr:000000000002/preamble:4/cycle:60/diNum:1/di1:00010000;"
                  "ch:3/addr:000000000003/preamble:2/cycle:30/diNum:2/di1:00010000/di2:00020000;",
                  {2, 3}, {"00010000", "00010000,00020000"}},
        MeterCase{"PrefixRepeatedOnEveryLine",
                  "ch:1/diNum:1/di1:00010000;\r\nDLT645-METER-CFG : ch:4/diNum:1/di1:00040000;", {1, 4},
                  {"00010000", "00040000"}},
        MeterCase{"Di0AndDi9Ignored", "ch:1/di0:AAAAAAAA/di9:BBBBBBBB/di2:00020000", {1}, {",00020000"}},
        MeterCase{"BlanksAndEmptyRecords", "  ; ch:5/ di1: 1 ;;", {5}, {"1"}},
        MeterCase{"NoChannel", "addr:1/di1:2;", {0}, {"2"}},
        MeterCase{"Empty", "", {}, {}}),
    [](const testing::TestParamInfo<MeterCase> &info) { return info.param.name; });

TEST(Dlt645ParseMetersLimits, NamesValuesAndFieldLengths) {
  const std::string long_name(32, 'n');
  const std::vector<DtuDlt645Meter> meters = DtuDlt645ParseMeters(
      "ch:1/addr:0123456789ABCDEF0/cycle:123456789/" + long_name + ":1/di1:" + std::string(64, 'A'));
  ASSERT_EQ(meters.size(), 1u);
  EXPECT_EQ(meters[0].addr, "0123456789ABCDE");  // 15 kept
  EXPECT_EQ(meters[0].cycle, "1234567");         // 7 kept
  EXPECT_EQ(meters[0].highest_di, 0);            // a 64-character value is not used
}

// Six channels with eight DIs each, one answer line per channel, run past
// 1023 characters: the last channel is read whole.
TEST(Dlt645ParseMetersLimits, ReadsAnswersOfAnyLength) {
  std::string value;
  for (int ch = 1; ch <= 6; ++ch) {
    if (ch > 1) value += "\r\ndlt645-meter-cfg : ";
    value += "ch:" + std::to_string(ch) + "/addr:00000000000" + std::to_string(ch) + "/preamble:4/cycle:3600/diNum:8";
    for (int j = 1; j <= 8; ++j) value += "/di" + std::to_string(j) + ":0" + std::to_string(j) + "010000";
    value += ";";
  }
  ASSERT_GT(value.size(), 1023u);
  const std::vector<DtuDlt645Meter> meters = DtuDlt645ParseMeters(value);
  ASSERT_EQ(meters.size(), 6u);
  EXPECT_EQ(meters[5].di[7], "08010000");
}

TEST(Dlt645Rule, BuildsAndParses) {
  EXPECT_EQ(DtuDlt645RulePayload({3, 1, 2}), "ch:3/rule:1/paramCnt:2");
  DtuDlt645Rule rule;
  ASSERT_TRUE(DtuDlt645ParseRule("  ch:3/rule:1/paramCnt:2;  ", rule));
  EXPECT_EQ(rule.ch, 3);
  EXPECT_EQ(rule.rule, 1);
  EXPECT_EQ(rule.param_cnt, 2);
  ASSERT_TRUE(DtuDlt645ParseRule("x ch:4", rule));
  EXPECT_EQ(rule.ch, 4);
  EXPECT_EQ(rule.param_cnt, 0);  // missing fields count as 0
  EXPECT_FALSE(DtuDlt645ParseRule("rule:1", rule));
}

TEST(Dlt645RuleItem, BuildsAndParsesSeveralRecords) {
  DtuDlt645RuleItem item{2, 1, "Ua", "02010100", 3, 1, 2, 10};
  const std::string payload = DtuDlt645RuleItemPayload(item);
  EXPECT_EQ(payload, "ch:2/paramId:1/tag:Ua/di:02010100/dataType:3/dataEndian:1/dataRule:2/rate:10");
  const std::vector<DtuDlt645RuleItem> items = DtuDlt645ParseRuleItems(payload + ";ch:2/paramId:3/tag:Ib;;no channel");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].tag, "Ua");
  EXPECT_EQ(items[0].di, "02010100");
  EXPECT_EQ(items[0].data_type, 3);
  EXPECT_EQ(items[0].rate, 10);
  EXPECT_EQ(items[1].param_id, 3);
  EXPECT_EQ(items[1].rate, 1);  // a missing rate is 1
  EXPECT_EQ(items[1].data_rule, 0);
}

TEST(Dlt645Checks, DiCodesAndSeparators) {
  EXPECT_TRUE(DtuDlt645IsDiCode("0001aF0b"));
  EXPECT_FALSE(DtuDlt645IsDiCode("0001010G"));
  EXPECT_FALSE(DtuDlt645IsDiCode("0001010"));
  EXPECT_FALSE(DtuDlt645IsDiCode("000101000"));
  EXPECT_EQ(DtuDlt645RecordSeparatorIn("a/b"), '/');
  EXPECT_EQ(DtuDlt645RecordSeparatorIn("ab;:"), ';');
  EXPECT_EQ(DtuDlt645RecordSeparatorIn("Ua (V)"), '\0');
}

}  // namespace
