// What counts as a query's own answer: the outcome reports of a watched Read
// against the key each query asked for.
#include <gtest/gtest.h>

#include "pages/kit/dtu_read_watch.h"

namespace {

struct ReportCase {
  const char *name;
  DtuCmdOutcome outcome;
  const char *answer;
  bool whole;
  bool own;
};

class ReadWatchReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReadWatchReports, OwnAnswerNeedsTheWholeKeyLine) {
  const ReportCase c = GetParam();
  DtuReadWatch watch;
  const DtuCmdTag tag = DtuReadWatch::TagQuery("mqtt-addr");
  ASSERT_NE(tag.owner, 0);
  EXPECT_FALSE(watch.AllReported());
  DtuCmdReport report;
  report.tag = tag;
  report.outcome = c.outcome;
  report.answer = c.answer;
  report.whole = c.whole;
  DtuCmdOutcomeProcess(report);
  EXPECT_TRUE(watch.AllReported());
  EXPECT_EQ(watch.KeysWithoutTheirAnswer().empty(), c.own);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReadWatchReports,
    ::testing::Values(ReportCase{"Answered", DtuCmdOutcome::kAnswered, "mqtt-addr : broker.local", true, true},
                      ReportCase{"CaseOfTheKeyIgnored", DtuCmdOutcome::kAnswered, "MQTT-ADDR : x", true, true},
                      ReportCase{"EmptyValue", DtuCmdOutcome::kAnswered, "mqtt-addr :", true, true},
                      ReportCase{"CutByAPause", DtuCmdOutcome::kAnswered, "mqtt-addr : brok", false, false},
                      ReportCase{"AnotherKeysAnswer", DtuCmdOutcome::kAnswered, "mqtt-port : 1883", true, false},
                      ReportCase{"KeyNotAtALineStart", DtuCmdOutcome::kAnswered, "xmqtt-addr : 1", true, false},
                      ReportCase{"LonerKeyWithThePrefix", DtuCmdOutcome::kAnswered, "mqtt-addrx : 1", true, false},
                      ReportCase{"BareOkOrNoise", DtuCmdOutcome::kAnswered, "", true, false},
                      ReportCase{"DeviceError", DtuCmdOutcome::kDeviceError, "ERROR", true, false},
                      ReportCase{"NoAnswer", DtuCmdOutcome::kNoAnswer, "", true, false},
                      ReportCase{"PortClosed", DtuCmdOutcome::kPortClosed, "", true, false}),
    [](const ::testing::TestParamInfo<ReportCase> &info) { return std::string(info.param.name); });

TEST(ReadWatch, QueriesOutsideAWatchAreNotTagged) {
  EXPECT_EQ(DtuReadWatch::TagQuery("imei").owner, 0);
}

}  // namespace
