// Where the platform is: defaults, the [platform] section of the
// configuration file, and the environment over both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "remote/platform_settings.h"

namespace {

const char *const kVariables[] = {"VARNOK_API_BASE", "VARNOK_MQTT_HOST", "VARNOK_MQTT_PORT", "VARNOK_CA_FILE",
                                  "VARNOK_TLS_VERIFY"};

class PlatformSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // CTest runs tests of this folder side by side: each test its own file.
    path_ = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".platform.txt";
    for (const char *v : kVariables) unsetenv(v);
  }
  void TearDown() override {
    for (const char *v : kVariables) unsetenv(v);
    std::remove(path_.c_str());
  }
  void WriteFile(const std::string &text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string path_;
};

TEST_F(PlatformSettingsTest, DefaultsWithoutFileOrEnvironment) {
  PlatformSettings s = PlatformSettingsLoad("no-such-file.txt");
  PlatformSettings d = PlatformSettingsDefaults();
  EXPECT_EQ(s.api_base, d.api_base);
  EXPECT_EQ(s.api_base.rfind("https://", 0), 0u);
  EXPECT_EQ(s.mqtt_host, d.mqtt_host);
  EXPECT_EQ(s.mqtt_port, 1883);
  EXPECT_EQ(s.ca_file, "");
  EXPECT_EQ(s.tls_verify, 1);
}

TEST_F(PlatformSettingsTest, FileSectionThenEnvironment) {
  WriteFile("[iotInfo]\r\nusername = u\r\n\r\n[Platform]\r\nAPIBASE = https://127.0.0.1:9443/\r\n"
            "mqttHost = 127.0.0.1\r\nmqttPort = 18830\r\ncaFile = /tmp/ca.pem\r\ntlsVerify = no\r\n");
  PlatformSettings s = PlatformSettingsLoad(path_);
  EXPECT_EQ(s.api_base, "https://127.0.0.1:9443");
  EXPECT_EQ(s.mqtt_host, "127.0.0.1");
  EXPECT_EQ(s.mqtt_port, 18830);
  EXPECT_EQ(s.ca_file, "/tmp/ca.pem");
  EXPECT_EQ(s.tls_verify, 0);

  setenv("VARNOK_API_BASE", "https://localhost:1", 1);
  setenv("VARNOK_MQTT_PORT", "1884", 1);
  setenv("VARNOK_TLS_VERIFY", "1", 1);
  setenv("VARNOK_CA_FILE", "", 1);
  s = PlatformSettingsLoad(path_);
  EXPECT_EQ(s.api_base, "https://localhost:1");
  EXPECT_EQ(s.mqtt_port, 1884);
  EXPECT_EQ(s.tls_verify, 1);
  EXPECT_EQ(s.ca_file, "");
  EXPECT_EQ(s.mqtt_host, "127.0.0.1");
}

TEST_F(PlatformSettingsTest, ValuesThatDoNotReadKeepWhatCameBefore) {
  WriteFile("[platform]\nmqttPort = 70000\ntlsVerify = maybe\napiBase =\n");
  setenv("VARNOK_MQTT_PORT", "12x", 1);
  PlatformSettings s = PlatformSettingsLoad(path_);
  EXPECT_EQ(s.mqtt_port, 1883);
  EXPECT_EQ(s.tls_verify, 1);
  EXPECT_EQ(s.api_base, PlatformSettingsDefaults().api_base);
}

}  // namespace
