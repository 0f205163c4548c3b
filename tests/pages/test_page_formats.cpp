// The payload formats of the settings pages, with the device's examples.
#include <gtest/gtest.h>

#include <string>

#include "pages/settings/dtu_data_port_codes.h"
#include "pages/settings/dtu_net_info.h"
#include "pages/settings/dtu_remote_cfg_info.h"

TEST(RemoteCfgInfo, FormatsSwitchPortAndServer) {
  struct Case {
    int on;
    int port;
    std::string server;
    std::string expected;
  } cases[] = {
      {1, 1883, "abc", "100001883abc"},
      {0, 0, "", "000000000"},             // empty port box is sent as 00000000
      {1, 12345678, "h", "112345678h"},
      {0, 123456789, "x", "0123456789x"},  // wider than 8 digits: the line check decides
  };
  for (const Case &c : cases) EXPECT_EQ(DtuRemoteCfgInfoFormat(c.on, c.port, c.server), c.expected);
}

TEST(RemoteCfgInfo, ParsesAnswers) {
  struct Case {
    std::string value;
    int on;
    int port;
    std::string server;
  } cases[] = {
      {"100001883abc", 1, 1883, "abc"},
      {"000001883", 0, 1883, ""},       // exactly 9 characters: no server
      {"x00000080host", 1, 80, "host"},  // any first character but "0" is on
      {"1000", 1, 0, ""},                // short: the digits there are
      {"10000", 1, 0, ""},
      {"1123", 1, 123, ""},
      {"", 0, 0, ""},
      {"0abcdefgh", 0, 0, ""},  // not a number
  };
  for (const Case &c : cases) {
    DtuRemoteCfgInfo info = DtuRemoteCfgInfoParse(c.value);
    EXPECT_EQ(info.switch_index, c.on) << c.value;
    EXPECT_EQ(info.port, c.port) << c.value;
    EXPECT_EQ(info.server, c.server) << c.value;
  }
}

TEST(RemoteCfgInfo, ServerFromTheDeviceIsCutAt127) {
  std::string server(200, 's');
  DtuRemoteCfgInfo info = DtuRemoteCfgInfoParse("100000001" + server);
  EXPECT_EQ(info.server, std::string(127, 's'));
}

TEST(NetInfo, FormatsManualAndAutomatic) {
  EXPECT_EQ(DtuNetInfoFormat({"cmnet", "u", "p"}), "apn:cmnet&username:u&pwd:p");
  EXPECT_EQ(DtuNetInfoFormat({"", "", ""}), "apn:&username:&pwd:");
  EXPECT_STREQ(kDtuNetInfoAuto, "apn:auto&username: &pwd: &");
}

TEST(NetInfo, ParsesAnswers) {
  struct Case {
    std::string value;
    std::string apn, username, pwd;
  } cases[] = {
      {"apn:cmnet&username:user&pwd:pass&", "cmnet", "user", "pass"},
      {"apn:cmnet&username:user&pwd:pass", "cmnet", "user", "pass"},
      {"apn:auto&username: &pwd: &", "auto", " ", " "},  // blanks stay
      {"apn:AUTO&username: &pwd: &", "AUTO", " ", " "},
      {"nothing here", "", "", ""},
      {"apn:only", "only", "", ""},
      {"username:u&pwd:p", "", "u", "p"},
      {"apn:a&&&username:b&&pwd:c&&", "a", "b", "c"},  // trailing '&' removed
      {"apn:x&y&username:u&pwd:p&rest", "x&y", "u", "p"},
      {"pwd:p&username:u&apn:a", "a", "u&apn:a", "p"},  // markers out of order
      {"", "", "", ""},
  };
  for (const Case &c : cases) {
    DtuNetInfo info = DtuNetInfoParse(c.value);
    EXPECT_EQ(info.apn, c.apn) << c.value;
    EXPECT_EQ(info.username, c.username) << c.value;
    EXPECT_EQ(info.pwd, c.pwd) << c.value;
  }
}

TEST(NetInfo, AutoInAnyCase) {
  EXPECT_TRUE(DtuNetInfoIsAuto("auto"));
  EXPECT_TRUE(DtuNetInfoIsAuto("AUTO"));
  EXPECT_TRUE(DtuNetInfoIsAuto("Auto"));
  EXPECT_FALSE(DtuNetInfoIsAuto("auto "));
  EXPECT_FALSE(DtuNetInfoIsAuto(""));
}

TEST(DataPortCodes, BaudAnswerMatchesTheFirstItemItBeginsWith) {
  struct Case {
    std::string value;
    int index;
  } cases[] = {{"115200", 9}, {"14400", 4}, {"1200", 0}, {"9600", 3}, {"921600", 14}, {"300", -1}, {"", -1}};
  for (const Case &c : cases) EXPECT_EQ(DtuBaudrateIndexFromAnswer(c.value), c.index) << c.value;
}

TEST(DataPortCodes, DatabitAnswerIsTheCodePlusFive) {
  struct Case {
    std::string value;
    int index;
  } cases[] = {{"3", 3}, {"0", 0}, {"2", 2}, {"7", -1}, {"x", 0}};
  for (const Case &c : cases) EXPECT_EQ(DtuDatabitIndexFromAnswer(c.value), c.index) << c.value;
}

TEST(DataPortCodes, ParityHasNoCodeTwo) {
  EXPECT_EQ(DtuParityIndexFromAnswer("0"), 0);
  EXPECT_EQ(DtuParityIndexFromAnswer("1"), 1);
  EXPECT_EQ(DtuParityIndexFromAnswer("3"), 2);
  EXPECT_EQ(DtuParityIndexFromAnswer("2"), -1);
  EXPECT_EQ(DtuParityIndexFromAnswer(""), -1);
  for (int index = 0; index < kDtuParityCount; ++index) {
    EXPECT_EQ(DtuParityIndexFromCode(DtuParityCodeFromIndex(index)), index);
  }
  EXPECT_EQ(DtuParityCodeFromIndex(2), 3);
  EXPECT_EQ(DtuParityIndexFromCode(2), 0);
  EXPECT_EQ(DtuBaudrateIndexFromNumber(115200), 9);
  EXPECT_EQ(DtuBaudrateIndexFromNumber(0), -1);
}
