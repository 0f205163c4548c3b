// The lookup rules of the configuration file: the per-key scan of an open file
// (DtuConfig::GetValue) and the parsed index that LoadFromFile uses must give
// the same answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "config/dtu_config.h"
#include "config/dtu_ini.h"
#include "config_test_support.h"

namespace {

// An open temporary file holding `text`, closed on destruction.
class OpenFile {
 public:
  explicit OpenFile(const std::string &text) : file_(std::tmpfile()) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::rewind(file_);
  }
  ~OpenFile() { std::fclose(file_); }
  FILE *get() const { return file_; }

 private:
  FILE *file_;
};

struct LookupCase {
  const char *name;
  std::string text;
  const char *section;
  const char *key;
  bool found;
  const char *value;
};

// Runs one case through both the scan and the index.
void ExpectLookup(const LookupCase &c) {
  SCOPED_TRACE(c.name);
  OpenFile file(c.text);
  std::string scanned = "untouched";
  EXPECT_EQ(DtuConfig::GetValue(file.get(), c.section, c.key, scanned), c.found);
  EXPECT_EQ(scanned, c.found ? c.value : "untouched");

  DtuIniIndex index;
  index.Parse(c.text);
  std::string indexed = "untouched";
  EXPECT_EQ(index.Find(c.section, c.key, indexed), c.found);
  EXPECT_EQ(indexed, c.found ? c.value : "untouched");
}

}  // namespace

TEST(ConfigLookup, SyntaxRules) {
  const LookupCase cases[] = {
      {"blanks and case", "  [uart]  \r\n   baudrate   =   115200   \r\n", "UART", "Baudrate", true, "115200"},
      {"value keeps its equals signs", "[MQTT]\nPassword= a=b=c \n", "MQTT", "Password", true, "a=b=c"},
      {"blanks inside the brackets", "[ UART ]\nBaudrate=9600\n", "UART", "Baudrate", false, ""},
      {"first occurrence wins", "[UART]\nBaudrate=1\nBaudrate=2\n", "UART", "Baudrate", true, "1"},
      {"section given twice", "[UART]\nDatabit=3\n[MQTT]\nPort=1\n[uart]\nParity=2\n", "UART", "Parity", true, "2"},
      {"first section wins over the second",
       "[UART]\nParity=1\n[MQTT]\n[UART]\nParity=2\n", "UART", "Parity", true, "1"},
      {"key of another section", "[UART]\nPort=1\n[MQTT]\n", "MQTT", "Port", false, ""},
      {"value line before any header", "Baudrate=1\n[UART]\n", "UART", "Baudrate", false, ""},
      {"equals sign first", "[UART]\n=5\nBaudrate=7\n", "UART", "Baudrate", true, "7"},
      {"comment line never matches", "[UART]\n#Baudrate=1\nBaudrate=2\n", "UART", "Baudrate", true, "2"},
      {"empty value", "[netInfo]\napn=\n", "netInfo", "apn", true, ""},
      {"last line without line end", "[netInfo]\r\napn=cmnet", "netInfo", "apn", true, "cmnet"},
      {"header name taken verbatim", "[net Info]\napn=x\n", "net Info", "apn", true, "x"},
      {"lone bracket is no header", "[UART]\n[\nBaudrate=4\n", "UART", "Baudrate", true, "4"},
      {"empty file", "", "UART", "Baudrate", false, ""},
  };
  for (const auto &c : cases) ExpectLookup(c);
}

TEST(ConfigLookup, ScanRestoresTheFilePosition) {
  OpenFile file("[UART]\nBaudrate=1\n");
  std::fseek(file.get(), 5, SEEK_SET);
  std::string out;
  EXPECT_TRUE(DtuConfig::GetValue(file.get(), "UART", "Baudrate", out));
  EXPECT_EQ(std::ftell(file.get()), 5);
  EXPECT_FALSE(DtuConfig::GetValue(file.get(), "UART", "Nothing", out));
  EXPECT_EQ(std::ftell(file.get()), 5);
}

// Random files made of a small vocabulary of lines, looked up for every
// (section, key) pair of that vocabulary: index and scan must agree.
TEST(ConfigLookup, IndexAgreesWithTheScanOnRandomFiles) {
  const char *const lines[] = {"[UART]", "[uart]", " [MQTT] ", "[ UART ]", "Baudrate=1", " baudrate = 2 ",
                               "Port=3", "port = x=y", "=9", "# Port=5", "", "   ", "[]", "garbage",
                               "Baudrate=", "\tPORT\t=\t7\t"};
  const char *const sections[] = {"UART", "MQTT", " UART ", ""};
  const char *const keys[] = {"Baudrate", "Port", "port", ""};
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      text += lines[random() % (sizeof lines / sizeof lines[0])];
      text += (random() % 2) ? "\r\n" : "\n";
    }
    OpenFile file(text);
    DtuIniIndex index;
    index.Parse(text);
    for (const char *section : sections) {
      for (const char *key : keys) {
        std::string scanned, indexed;
        bool scan_found = DtuConfig::GetValue(file.get(), section, key, scanned);
        bool index_found = index.Find(section, key, indexed);
        ASSERT_EQ(scan_found, index_found) << text << "|" << section << "|" << key;
        ASSERT_EQ(scanned, indexed) << text;
      }
    }
  }
}

TEST(ConfigLookup, LookupByPath) {
  TempDir dir;
  const std::string path = dir.File("profile.txt");
  config_test::WriteBytes(path, "[UART]\r\nBaudrate=9600\r\n\r\n[platform]\r\nmqttPort = 8883\r\n");
  std::string out;
  EXPECT_TRUE(DtuIniGetValue(path, "platform", "mqttport", out));
  EXPECT_EQ(out, "8883");
  EXPECT_FALSE(DtuIniGetValue(path, "platform", "apiBase", out));
  EXPECT_FALSE(DtuIniGetValue(dir.File("missing.txt"), "UART", "Baudrate", out));
  EXPECT_FALSE(DtuIniGetValue(dir.Path(), "UART", "Baudrate", out));
  EXPECT_EQ(out, "8883");
}

TEST(ConfigLookup, ForeignSectionsKeepTheirBytesAndTheirComments) {
  const std::string text =
      "# head\r\n[UART]\r\nBaudrate=1\r\n\r\n# account of the remote page\r\n[iotInfo]\r\nusername = a\r\n\r\n"
      "[MQTT]\r\nPort=2\r\n; about platform\n[platform]\nmqttHost=h\n  odd line  \n[netinfo]\napn=x\n[tail]\nk=v";
  auto owned = [](const std::string &s) { return DtuConfig::IsOwnedSection(s); };
  EXPECT_EQ(DtuIniForeignSections(text, owned),
            "# account of the remote page\r\n[iotInfo]\r\nusername = a\r\n\r\n"
            "; about platform\n[platform]\nmqttHost=h\n  odd line  \n[tail]\nk=v");
}
