// The [iotInfo] routines: their section reader, the defaults, the save that
// changes only the four key lines, and living together with DtuConfig.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/dtu_lang.h"
#include "config/dtu_config.h"
#include "config/dtu_iot_info.h"
#include "config_test_support.h"

using config_test::WriteBytes;

namespace {

struct Entry {
  std::string section, key, value;
  bool operator==(const Entry &o) const { return section == o.section && key == o.key && value == o.value; }
};

std::ostream &operator<<(std::ostream &os, const Entry &e) {
  return os << "(" << e.section << "|" << e.key << "|" << e.value << ")";
}

std::vector<Entry> Parse(const std::string &text) {
  std::vector<Entry> entries;
  EXPECT_EQ(DtuIniParseText(text, [&](const std::string &s, const std::string &k, const std::string &v) {
              entries.push_back({s, k, v});
              return 1;
            }),
            0);
  return entries;
}

const std::string kDefaultsEnglish =
    "\r\n[iotInfo]\r\nusername = Please enter device platform account\r\n"
    "password = Please enter device platform password\r\nproductKey = Please enter productKey\r\n"
    "productSecret = Please enter productSecret\r\n";

class IotInfo : public config_test::ConfigFileTest {};

}  // namespace

TEST(IotInfoReader, SyntaxRules) {
  const std::string long_value(250, 'x');
  EXPECT_EQ(Parse("\xEF\xBB\xBF[iotInfo]\r\n"
                  "; comment\r\n# comment\r\n"
                  "  username : alice ; note\r\n"
                  "password=a;b\r\n"
                  "    continued\r\n"
                  "no separator here\r\n"
                  "[broken\r\n"
                  "productKey = " + long_value + "\r\n"
                  "after=long\r\n"
                  "[" + std::string(60, 'n') + "]\r\n"
                  "    not = a continuation\r\n"),
            (std::vector<Entry>{{"iotInfo", "username", "alice"},
                                {"iotInfo", "password", "a;b"},
                                {"iotInfo", "password", "continued"},
                                {"iotInfo", "productKey", long_value.substr(0, 199 - 13)},
                                {"iotInfo", "after", "long"},
                                {std::string(49, 'n'), "not", "a continuation"}}));
}

TEST(IotInfoReader, HandlerTakesOnlyTheFourKeysOfItsSection) {
  DtuIotInfo info;
  std::string text = "[IOTINFO]\nusername = no\n[iotInfo]\nUserName = no\nusername = yes\nproductSecret = s\n";
  DtuIniParseText(text, [&](const std::string &s, const std::string &k, const std::string &v) {
    return iotInfoHandler(info, s, k, v);
  });
  EXPECT_EQ(info.username, "yes");
  EXPECT_EQ(info.productSecret, "s");
  EXPECT_TRUE(info.usernameSeen && info.productSecretSeen);
  EXPECT_FALSE(info.passwordSeen || info.productKeySeen || info.AllSeen());
}

TEST_F(IotInfo, MissingFileGetsOnlyTheSectionWithPrompts) {
  DtuIotInfo info;
  EXPECT_FALSE(iotInfoLoad(path_, info));
  ASSERT_TRUE(iotInfoWriteDefaults(path_, info));
  EXPECT_EQ(ReadWholeFile(path_), kDefaultsEnglish);
  EXPECT_EQ(config_test::FileMode(path_), 0600);
  ASSERT_TRUE(iotInfoLoad(path_, info));
  EXPECT_TRUE(info.AllSeen());
  EXPECT_EQ(info.password, "Please enter device platform password");

  DtuLangFlag = 0;
  EXPECT_STREQ(iotInfoPrompt("productKey", false), "请输入产品productKey");
  EXPECT_STREQ(iotInfoPrompt("password", true), "Please enter device platform password");
}

TEST_F(IotInfo, DefaultsAfterAPageSaveAndForAMissingKey) {
  DtuConfig c;
  c.uart.Baudrate = 9600;
  ASSERT_TRUE(c.SaveToFile(path_));
  const std::string saved = ReadWholeFile(path_);
  DtuIotInfo info;
  ASSERT_TRUE(iotInfoLoad(path_, info));
  ASSERT_TRUE(iotInfoWriteDefaults(path_, info));
  EXPECT_EQ(ReadWholeFile(path_), saved + kDefaultsEnglish);

  const std::string without_password = "[iotInfo]\r\nusername = u\r\nproductKey = k\r\nproductSecret = s\r\n";
  WriteBytes(path_, without_password);
  info = DtuIotInfo();
  ASSERT_TRUE(iotInfoLoad(path_, info));
  ASSERT_TRUE(iotInfoWriteDefaults(path_, info));
  EXPECT_EQ(ReadWholeFile(path_), without_password + "\r\npassword = Please enter device platform password\r\n");

  // With a section after [iotInfo], the missing line still lands in [iotInfo].
  WriteBytes(path_, without_password + "[platform]\r\nmqttPort=1883\r\n");
  ASSERT_TRUE(iotInfoWriteDefaults(path_, info));
  info = DtuIotInfo();
  ASSERT_TRUE(iotInfoLoad(path_, info));
  EXPECT_TRUE(info.AllSeen());
  EXPECT_EQ(ReadWholeFile(path_).substr(ReadWholeFile(path_).find("[platform]")), "[platform]\r\nmqttPort=1883\r\n");
}

TEST_F(IotInfo, SaveChangesOnlyTheFourKeyLines) {
  const std::string head = "[UART]\r\nBaudrate=9600\r\n\r\n[iotInfo]\r\n";
  const std::string tail = "[MQTT]\nPort=1\n";
  WriteBytes(path_, head + "; kept\r\nusername = old\r\nextra = stays\r\npassword = mypass\nproductKey = k\r\n" + tail);
  ASSERT_TRUE(iotInfoSave(path_, "alice", "new pw", "pk", "ps"));
  EXPECT_EQ(ReadWholeFile(path_), head + "; kept\r\nusername = alice\r\nextra = stays\r\npassword = new pw\n"
                                     "productKey = pk\r\nproductSecret = ps\r\n" + tail);
}

TEST_F(IotInfo, SaveCreatesOrAppendsTheSection) {
  ASSERT_TRUE(iotInfoSave(path_, "u", "p", "k", "s"));
  EXPECT_EQ(ReadWholeFile(path_), "[iotInfo]\r\nusername = u\r\npassword = p\r\nproductKey = k\r\nproductSecret = s\r\n");
  WriteBytes(path_, "[UART]\r\nBaudrate=1\r\n");
  ASSERT_TRUE(iotInfoSave(path_, "u", "p", "k", "s"));
  EXPECT_EQ(ReadWholeFile(path_), "[UART]\r\nBaudrate=1\r\n\r\n[iotInfo]\r\nusername = u\r\npassword = p\r\n"
                              "productKey = k\r\nproductSecret = s\r\n");
  EXPECT_FALSE(iotInfoSave(dir_.Path(), "u", "p", "k", "s"));
}

TEST(IotInfoReplaceKey, Cases) {
  struct Case {
    const char *name, *body, *key, *value, *expected;
  };
  const Case cases[] = {
      {"keeps CR LF", "a = 1\r\nusername = x\r\nb = 2\r\n", "username", "y", "a = 1\r\nusername = y\r\nb = 2\r\n"},
      {"keeps LF", "username=x\nb\n", "username", "y", "username = y\nb\n"},
      {"last line without end", "username = x", "username", "y", "username = y"},
      {"appended", "a = 1\r\n", "password", "p", "a = 1\r\npassword = p\r\n"},
      {"appended after an open line", "a = 1", "password", "p", "a = 1\r\npassword = p\r\n"},
      {"appended to an empty body", "", "password", "p", "password = p\r\n"},
      {"key inside another value is not the key", "username = mypassword\r\n", "password", "p",
       "username = mypassword\r\npassword = p\r\n"},
      {"longer key is another key", "passwordHint = h\r\n", "password", "p",
       "passwordHint = h\r\npassword = p\r\n"},
      {"line break in the value is cut", "password = a\r\n", "password", "b\r\n[x]", "password = b\r\n"},
  };
  for (const auto &c : cases) {
    std::string body = c.body;
    iotInfoReplaceKey(body, c.key, c.value);
    EXPECT_EQ(body, c.expected) << c.name;
  }
}

TEST_F(IotInfo, PageSaveKeepsIotInfoAndTheRoutinesStillWork) {
  DtuConfig c;
  ASSERT_TRUE(c.SaveToFile(path_));
  ASSERT_TRUE(iotInfoSave(path_, "alice", "pw", "pk", "ps"));
  const std::string section = "[iotInfo]\r\nusername = alice\r\npassword = pw\r\nproductKey = pk\r\nproductSecret = ps\r\n";

  DtuConfig page;
  ASSERT_TRUE(page.LoadFromFile(path_));
  page.mqtt.Server = "127.0.0.1";
  ASSERT_TRUE(page.SaveToFile(path_));
  std::string text = ReadWholeFile(path_);
  EXPECT_NE(text.find(section), std::string::npos);
  EXPECT_NE(text.find("Server=127.0.0.1\r\n"), std::string::npos);

  ASSERT_TRUE(iotInfoSave(path_, "bob", "pw", "pk", "ps"));
  DtuIotInfo info;
  ASSERT_TRUE(iotInfoLoad(path_, info));
  EXPECT_EQ(info.username, "bob");
  EXPECT_TRUE(info.AllSeen());
  DtuConfig again;
  ASSERT_TRUE(again.LoadFromFile(path_));
  EXPECT_EQ(again.mqtt.Server.str(), "127.0.0.1");
}
