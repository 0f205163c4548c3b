// The simulated device's business packets: each step is one line sent and
// the answer expected, in order, on one device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/dtu_sim.h"

namespace {

struct Step {
  const char *line;
  std::string answer_value;  // empty: the device answers ERROR
};

struct Script {
  const char *name;
  std::vector<Step> steps;
};

void PrintTo(const Script &script, std::ostream *out) { *out << script.name; }

std::string KeyOf(const std::string &line) {
  const size_t start = line.find('|') + 1;
  const size_t end = line.find_first_of("|\r", start);
  return line.substr(start, end - start);
}

class DtuSimBhu : public ::testing::TestWithParam<Script> {};

TEST_P(DtuSimBhu, AnswersFromConsistentStoredState) {
  DtuSim sim;
  for (const Step &step : GetParam().steps) {
    const std::string expected = step.answer_value.empty()
                                     ? std::string("\r\nERROR\r\n")
                                     : "\r\n" + KeyOf(step.line) + " : " + step.answer_value + "\r\n\r\nOK\r\n";
    EXPECT_EQ(sim.AnswerFor(step.line), expected) << step.line;
  }
}

const std::string kBytes = std::string("\x01\x02${IMEI}\xAA", 10);

INSTANTIATE_TEST_SUITE_P(
    Packets, DtuSimBhu,
    ::testing::Values(
        Script{"FactoryValues",
               {{"AT+ZEVCFG=get|bhu-login\r\n", "000000"},
                {"AT+ZEVCFG=get|bhu-heart\r\n", "00000000600000"},
                {"AT+ZEVCFG=get|bhu-header\r\n", "0"},
                {"AT+ZEVCFG=get|bhu-hex-data-cfg\r\n", "00000000"}}},
        Script{"TextPacketStoredAsSent",
               {{"AT+ZEVCFG=set|bhu-login|10000512345\r\n", "10000512345"},
                {"AT+ZEVCFG=get|bhu-login\r\n", "10000512345"}}},
        Script{"HexPacketAnsweredAsBytes",
               {{"AT+ZEVCFG=set|bhu-login|1100130102${IMEI}AA\r\n", "110010" + kBytes},
                {"AT+ZEVCFG=get|bhu-login\r\n", "110010" + kBytes}}},
        Script{"SwitchOffKeepsTheContent",
               {{"AT+ZEVCFG=set|bhu-heart|10000000300003abc\r\n", "10000000300003abc"},
                {"AT+ZEVCFG=set|bhu-heart|0\r\n", "00000000300003abc"},
                {"AT+ZEVCFG=get|bhu-heart\r\n", "00000000300003abc"}}},
        Script{"LengthMustCountTheContent",
               {{"AT+ZEVCFG=set|bhu-data|1000000060000512\r\n", ""},
                {"AT+ZEVCFG=set|bhu-data|10000000600002abc\r\n", ""},
                {"AT+ZEVCFG=get|bhu-data\r\n", "00000000600000"}}},
        Script{"HexContentMustBeHex",
               {{"AT+ZEVCFG=set|bhu-header|110003ABC\r\n", ""},
                {"AT+ZEVCFG=set|bhu-header|110004ABXY\r\n", ""},
                {"AT+ZEVCFG=set|bhu-header|110006${IMEI\r\n", ""}}},
        Script{"FieldLayoutNeedsOneRecordPerField",
               {{"AT+ZEVCFG=set|bhu-hex-heart-cfg|11000103010201020000000000000202AB0000000000000005040102000000000000\r\n",
                 "11000103010201020000000000000202AB0000000000000005040102000000000000"},
                {"AT+ZEVCFG=set|bhu-hex-heart-cfg|110001020102010200000000000000\r\n", ""},
                {"AT+ZEVCFG=set|bhu-hex-heart-cfg|00000000\r\n", ""},
                {"AT+ZEVCFG=get|bhu-hex-heart-cfg\r\n",
                 "11000103010201020000000000000202AB0000000000000005040102000000000000"}}}),
    [](const ::testing::TestParamInfo<Script> &info) { return std::string(info.param.name); });

}  // namespace
