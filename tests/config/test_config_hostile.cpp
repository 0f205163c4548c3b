// The configuration file when it is not what it should be: a FIFO, a
// device, a huge file (refused at once, with the path, never blocking), the
// temporaries an interrupted save left behind, and values holding control
// characters as `config show` prints them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <functional>

#include "config/dtu_config.h"
#include "config/dtu_config_show.h"
#include "config/dtu_iot_info.h"
#include "config_test_support.h"

namespace {

struct NotAFile {
  const char *name;
  std::function<std::string(const std::string &dir)> make;  // returns the path
  const char *reason;
};

class ConfigNotAFile : public config_test::ConfigFileTest, public ::testing::WithParamInterface<NotAFile> {};

// Each of these hung the reader (FIFO without a writer) or grew memory
// without end (/dev/zero).
TEST_P(ConfigNotAFile, IsRefusedAtOnceWithItsPath) {
  const std::string path = GetParam().make(dir_.Path());
  config_test::MessageRecorder recorder;
  DtuConfig config;
  EXPECT_FALSE(config.LoadFromFile(path));
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0], "Failed to open config file: " + path + " (" + GetParam().reason + ")");
  DtuIotInfo info;
  EXPECT_FALSE(iotInfoLoad(path, info));
  EXPECT_FALSE(config.SaveToFile(path));  // nor is it replaced by a file
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ConfigNotAFile,
    ::testing::Values(NotAFile{"Fifo",
                               [](const std::string &dir) {
                                 const std::string path = dir + "/fifo.txt";
                                 EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                                 return path;
                               },
                               "not a regular file"},
                      NotAFile{"DevZero", [](const std::string &) { return std::string("/dev/zero"); },
                               "not a regular file"},
                      NotAFile{"Over16MiB",
                               [](const std::string &dir) {
                                 const std::string path = dir + "/huge.txt";
                                 int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
                                 EXPECT_EQ(::ftruncate(fd, (16 << 20) + 1), 0);
                                 ::close(fd);
                                 return path;
                               },
                               "larger than 16 MiB"}),
    [](const ::testing::TestParamInfo<NotAFile> &info) { return std::string(info.param.name); });

class ConfigSaveTemporaries : public config_test::ConfigFileTest {
 protected:
  void Touch(const std::string &name, time_t age_s) {
    config_test::WriteBytes(dir_.File(name), "half a save");
    utimbuf times{std::time(nullptr) - age_s, std::time(nullptr) - age_s};
    ASSERT_EQ(::utime(dir_.File(name).c_str(), &times), 0);
  }
  bool Exists(const std::string &name) { return ::access(dir_.File(name).c_str(), F_OK) == 0; }
};

// A save killed before its rename leaves "<file>.XXXXXX": the next save
// removes those of its own pattern once they are an hour old.
TEST_F(ConfigSaveTemporaries, OldOnesOfTheFilesPatternGoOthersStay) {
  Touch("Zev_DtuConfig.txt.Ab12Cd", 2 * 3600);
  Touch("Zev_DtuConfig.txt.young1", 60);
  Touch("Zev_DtuConfig.txt.bak", 2 * 3600);
  Touch("Other.txt.Ab12Cd", 2 * 3600);
  DtuConfig config;
  ASSERT_TRUE(config.SaveToFile(path_));
  EXPECT_FALSE(Exists("Zev_DtuConfig.txt.Ab12Cd"));
  EXPECT_TRUE(Exists("Zev_DtuConfig.txt.young1"));
  EXPECT_TRUE(Exists("Zev_DtuConfig.txt.bak"));
  EXPECT_TRUE(Exists("Other.txt.Ab12Cd"));
}

class ConfigShowControl : public config_test::ConfigFileTest {};

// A lone CR or an escape sequence in a value reaches the terminal escaped.
TEST_F(ConfigShowControl, ControlCharactersArePrintedEscaped) {
  config_test::WriteBytes(path_, "[MQTT]\r\nServer=evil\rAT&F\r\nPassword=a\x1b]52;c;eA==\x07\r\n"
                                 "[iotInfo]\r\nusername = u\x1b[2J\r\n");
  std::string out;
  ASSERT_TRUE(DtuConfigShow(path_, out));
  EXPECT_NE(out.find("Server=evil\\rAT&F\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Password=a\\x1b]52;c;eA==\\x07\n"), std::string::npos) << out;
  EXPECT_NE(out.find("username = u\\x1b[2J\n"), std::string::npos) << out;
  EXPECT_EQ(out.find('\x1b'), std::string::npos);
  EXPECT_EQ(out.find('\r'), std::string::npos);
}

}  // namespace

namespace {

class ConfigReadLocalControl : public config_test::ConfigFileTest {};

// A lone CR in a hand-edited value would go out as a second command line:
// Read Local leaves the field out and says which.
TEST_F(ConfigReadLocalControl, ValueWithAControlCharacterIsLeftOutWithAMessage) {
  config_test::WriteBytes(path_, "[MQTT]\r\nServer=evil\rAT&F\r\nUsername=u\tx\r\nPassword=ok\r\n");
  config_test::MessageRecorder recorder;
  DtuConfig config;
  ASSERT_TRUE(config.LoadFromFile(path_));
  EXPECT_EQ(config.mqtt.Server.str(), "");
  EXPECT_EQ(config.mqtt.Username.str(), "");
  EXPECT_EQ(config.mqtt.Password.str(), "ok");
  EXPECT_EQ(recorder.messages(),
            (std::vector<std::string>{
                "The value of MQTT/Server in the configuration file holds a control character and was left out.",
                "The value of MQTT/Username in the configuration file holds a control character and was left out."}));
}

}  // namespace
