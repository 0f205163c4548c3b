// The simulated device's DL/T 645 settings: which set payloads it takes, the
// form it keeps them in, and reads that report what was stored.
#include <gtest/gtest.h>

#include <string>

#include "sim/dtu_sim.h"

namespace {

std::string Answer(const std::string &key, const std::string &value) {
  return "\r\n" + key + " : " + value + "\r\n\r\nOK\r\n";
}

struct SetCase {
  const char *key;
  const char *payload;
  const char *kept;  // nullptr: refused with ERROR
};

class DtuSimDlt645Set : public testing::TestWithParam<SetCase> {};

TEST_P(DtuSimDlt645Set, KeepsValidPayloadsInItsOwnForm) {
  DtuSim sim;
  const SetCase &c = GetParam();
  const std::string answer = sim.AnswerFor(std::string("AT+ZEVCFG=set|") + c.key + "|" + c.payload + "\r\n");
  EXPECT_EQ(answer, c.kept ? Answer(c.key, c.kept) : "\r\nERROR\r\n") << c.payload;
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, DtuSimDlt645Set,
    testing::Values(
        SetCase{"dlt645-switch", "1", "1"}, SetCase{"dlt645-switch", "2", nullptr},
        SetCase{"dlt645-channel", "6", "6"}, SetCase{"dlt645-channel", "7", nullptr},
        SetCase{"dlt645-channel", "0", nullptr},
        SetCase{"dlt645-meter-cfg", "ch:1/addr:000012345678/preamble:4/cycle:60/diNum:2/di1:00010000/di2:00020000;",
                "ch:1/addr:000012345678/preamble:4/cycle:60/diNum:2/di1:00010000/di2:00020000;"},
        // fields in any order; a DI count without DI codes is kept as it is
        SetCase{"dlt645-meter-cfg", "diNum:3/cycle:15/preamble:2/addr:12/ch:6;",
                "ch:6/addr:12/preamble:2/cycle:15/diNum:3;"},
        SetCase{"dlt645-meter-cfg", "ch:7/addr:1/preamble:1/cycle:1/diNum:1;", nullptr},
        SetCase{"dlt645-meter-cfg", "ch:1/addr:1/preamble:5/cycle:1/diNum:1;", nullptr},
        SetCase{"dlt645-meter-cfg", "ch:1/addr:1/preamble:1/cycle:1/diNum:1/di1:0001010G;", nullptr},
        SetCase{"dlt645-meter-cfg", "ch:1/addr:x:y/preamble:1/cycle:1/diNum:1;", nullptr},
        SetCase{"dlt645-meter-rule", "ch:2/rule:1/paramCnt:3", "ch:2/rule:1/paramCnt:3"},
        SetCase{"dlt645-meter-rule", "ch:2/rule:0/paramCnt:5", "ch:2/rule:0/paramCnt:0"},
        SetCase{"dlt645-meter-rule", "ch:2/rule:2/paramCnt:1", nullptr},
        SetCase{"dlt645-meter-rule-item", "ch:2/paramId:8/tag:Ua/di:02010100/dataType:9/dataEndian:1/dataRule:2/rate:10",
                "ch:2/paramId:8/tag:Ua/di:02010100/dataType:9/dataEndian:1/dataRule:2/rate:10"},
        SetCase{"dlt645-meter-rule-item", "ch:2/paramId:9/tag:Ua/di:02010100/dataType:0/dataEndian:0/dataRule:0/rate:1",
                nullptr},
        SetCase{"dlt645-meter-rule-item", "ch:2/paramId:1/tag:/di:02010100/dataType:0/dataEndian:0/dataRule:0/rate:1",
                nullptr},
        SetCase{"dlt645-meter-rule-item", "ch:2/paramId:1/tag:U/di:0201010/dataType:0/dataEndian:0/dataRule:0/rate:1",
                nullptr}));

TEST(DtuSimDlt645, ReadsReportWhatWasStored) {
  DtuSim sim;
  sim.AnswerFor("AT+ZEVCFG=set|dlt645-channel|2\r\n");
  sim.AnswerFor("AT+ZEVCFG=set|dlt645-meter-cfg|ch:2/addr:000000000002/preamble:1/cycle:5/diNum:1/di1:00010000;\r\n");
  sim.AnswerFor("AT+ZEVCFG=set|dlt645-meter-cfg|ch:3/addr:000000000003/preamble:1/cycle:5/diNum:1;\r\n");
  // two channels configured: channel 3 is kept but not reported
  const std::string meters = sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-cfg|\r\n");
  EXPECT_NE(meters.find("ch:1/"), std::string::npos);
  EXPECT_NE(meters.find(";ch:2/addr:000000000002/preamble:1/cycle:5/diNum:1/di1:00010000;"), std::string::npos);
  EXPECT_EQ(meters.find("ch:3/"), std::string::npos);

  sim.AnswerFor("AT+ZEVCFG=set|dlt645-meter-rule|ch:5/rule:1/paramCnt:2\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-rule|ch:5\r\n"),
            Answer("dlt645-meter-rule", "ch:5/rule:1/paramCnt:2"));
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-rule|ch:9\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-rule-item|ch:5/paramId:0\r\n"), "\r\nERROR\r\n");
}

}  // namespace
