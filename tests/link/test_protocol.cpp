// Escaping of command lines and cleaning of received answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/dtu_cmd_protocol.h"

namespace {

std::string Escape(const std::string &line) {
  std::vector<char> out(kDtuEscapedMax + 8, '\x7f');
  int n = DtuCmdEscape(line.data(), static_cast<int>(line.size()), out.data());
  EXPECT_LE(n, kDtuEscapedMax);
  return std::string(out.data(), static_cast<size_t>(n));
}

std::string Clean(const std::string &raw) {
  std::vector<char> out(raw.size() + 1, '\x7f');
  int n = DtuCmdCleanAnswer(raw.data(), static_cast<int>(raw.size()), out.data());
  EXPECT_EQ(out[static_cast<size_t>(n)], '\0');
  return std::string(out.data(), static_cast<size_t>(n));
}

}  // namespace

TEST(Escape, PayloadBarsAndCommasAfterTheFirstPayloadBar) {
  EXPECT_EQ(Escape("AT+ZEVCFG=set|mqtt-password|a|b,c\r\n"),
            "AT+ZEVCFG=set|mqtt-password|a[dec]b[comma]c\r\n");
  EXPECT_EQ(Escape("AT+ZEVCFG=set|mqtt-pubtopic|x,y\r\n"), "AT+ZEVCFG=set|mqtt-pubtopic|x,y\r\n");
  EXPECT_EQ(Escape("AT+ZEVCFG=get|modbus-slave-cfg|1,2\r\n"), "AT+ZEVCFG=get|modbus-slave-cfg|1,2\r\n");
  EXPECT_EQ(Escape("AT+ZEVCFG=set|k|||,\r\n"), "AT+ZEVCFG=set|k|[dec][dec][comma]\r\n");
}

TEST(Escape, NulIncludedLengthIsCopiedAsIs) {
  const char line[] = "AT+ZEVCFG=get|version\r\n";
  char out[kDtuEscapedMax];
  ASSERT_EQ(DtuCmdEscape(line, 24, out), 24);
  EXPECT_EQ(std::string(out, 24), std::string(line, 24));
}

TEST(Escape, EmptyNegativeAndNullGiveZero) {
  char out[kDtuEscapedMax];
  EXPECT_EQ(DtuCmdEscape("abc", 0, out), 0);
  EXPECT_EQ(DtuCmdEscape("abc", -1, out), 0);
  EXPECT_EQ(DtuCmdEscape(nullptr, 5, out), 0);
}

TEST(Escape, LongCommaPayloadStopsAtTheLimitWithPlainCommasAtTheEnd) {
  std::string line = "AT+ZEVCFG=set|k|x|" + std::string(2100, ',');
  std::string out = Escape(line);
  // "AT+ZEVCFG=set|k|x" is 17 bytes, "[dec]" makes 22; then 7 per comma up to 2036.
  const std::string head = "AT+ZEVCFG=set|k|x[dec]";
  ASSERT_EQ(out.compare(0, head.size(), head), 0);
  int escaped = 0;
  size_t pos = head.size();
  while (out.compare(pos, 7, "[comma]") == 0) {
    ++escaped;
    pos += 7;
  }
  EXPECT_EQ(pos, 22u + 7u * 288u);  // 2038: the next comma stops the walk
  EXPECT_EQ(escaped, 288);
  EXPECT_EQ(out.size(), 2038u);

  // Start at 2035 escaped bytes: the comma at 2035 becomes [comma] (2042),
  // then the walk stops. Start at 2036: plain commas at 2036 and 2037.
  std::string filler_a = "AT+ZEVCFG=set|k|x|" + std::string(2035 - 22, 'z') + ",,,";
  std::string a = Escape(filler_a);
  EXPECT_EQ(a.size(), 2042u);
  EXPECT_EQ(a.substr(2035), "[comma]");
  std::string filler_b = "AT+ZEVCFG=set|k|x|" + std::string(2036 - 22, 'z') + ",,,";
  std::string b = Escape(filler_b);
  EXPECT_EQ(b.size(), 2038u);
  EXPECT_EQ(b.substr(2036), ",,");
}

TEST(Escape, BarAtTheLastPositionStillFits) {
  std::string line = "AT+ZEVCFG=set|k|" + std::string(2037 - 16, 'z') + "|||";
  std::string out = Escape(line);
  EXPECT_EQ(out.size(), 2042u);
  EXPECT_EQ(out.substr(2037), "[dec]");
}

TEST(Clean, TrimsAndDropsOneClosingOk) {
  EXPECT_EQ(Clean("\r\nversion : V1.2.3\r\n\r\nOK\r\n"), "version : V1.2.3");
  EXPECT_EQ(Clean("\r\nIMEI : 123\r\nOK\r\n"), "IMEI : 123");
  EXPECT_EQ(Clean("a : b\r\nok"), "a : b");
  EXPECT_EQ(Clean("a : b\r\nOK\r\nOK"), "a : b\r\nOK");  // only once
  EXPECT_EQ(Clean("a : b\r\n  OK"), "a : b");
  EXPECT_EQ(Clean(" \t\r\n"), "");
  EXPECT_EQ(Clean("\r\nOK\r\n"), "");
  EXPECT_EQ(Clean("K"), "K");
  EXPECT_EQ(Clean("\r\nERROR\r\n"), "ERROR");
}

// A chunk that ends without its OK line (the device paused before it, or sent
// none) keeps a value that merely ends in "ok".
TEST(Clean, OkInsideTheLastLineStays) {
  EXPECT_EQ(Clean("\r\nmqtt-pubtopic : /facebook\r\n"), "mqtt-pubtopic : /facebook");
  EXPECT_EQ(Clean("a : b OK"), "a : b OK");
  EXPECT_EQ(Clean("a : bOk"), "a : bOk");
  EXPECT_EQ(Clean("ok"), "");
  EXPECT_EQ(Clean("\tOK"), "");
}

TEST(Clean, TextEndsAtTheFirstNul) {
  EXPECT_EQ(Clean(std::string("imei : 1\0garbage", 16)), "imei : 1");
  EXPECT_EQ(Clean(std::string("\0imei : 1", 9)), "");
}

TEST(Clean, HostileInputStaysInsideTheBuffer) {
  std::string big(65536, 'x');
  EXPECT_EQ(Clean(big), big);
  std::string utf8_bad = "\xff\xfe\xc3 : \x80\r\nOK";
  EXPECT_EQ(Clean(utf8_bad), "\xff\xfe\xc3 : \x80");
  char out[1];
  EXPECT_EQ(DtuCmdCleanAnswer(nullptr, 4, out), 0);
  EXPECT_EQ(out[0], '\0');
}
