// Save to Local and Read Local of every page through a private configuration
// file, and the checks that keep the file whole.
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "config/dtu_config.h"
#include "pages/settings/dtu_data_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"
#include "pages/settings/dtu_net.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"
#include "tests/pages/page_test_support.h"

namespace {

// A message about the configuration file names it, as an absolute path, on
// a line of its own.
std::string NamingFile(const std::string &text) {
  return text + "\nFile: " + std::filesystem::absolute(DtuPageConfigPath()).lexically_normal().string();
}

using Fields = std::map<std::string, std::string>;

// One page type: how to make it and press its two local buttons.
struct StoreCase {
  const char *name;
  std::function<std::unique_ptr<DtuPage>()> make;
  std::function<bool(DtuPage &)> save;
  std::function<bool(DtuPage &)> read;
  Fields fields;  // set before the save, expected after the read
};

template <class Page>
StoreCase Case(const char *name, Fields fields) {
  return {name, [] { return std::make_unique<Page>(); },
          [](DtuPage &p) { return static_cast<Page &>(p).OnBnClickedBtSaveLocal(); },
          [](DtuPage &p) { return static_cast<Page &>(p).OnBnClickedBtReadLocal(); }, std::move(fields)};
}

std::vector<StoreCase> AllPages() {
  return {
      Case<DtuDevinfo>("devinfo", {{"RemoteCfgSwitch", "1"}, {"RemoteCfgServer", "cfg.example"},
                                   {"RemoteCfgPort", "1883"}, {"LogLevel", "3"}}),
      Case<DtuDataPort>("dataport", {{"BaudRate", "9"}, {"DataBits", "3"}, {"Parity", "2"}}),
      Case<DtuNet>("net", {{"DialType", "1"}, {"APN", "cmnet"}, {"Username", "u"}, {"Password", "p w"}}),
      Case<DtuWorkMode>("workmode", {{"WorkMode", "2"}}),
      Case<DtuTcpUdp>("tcpudp", {{"TcpType", "1"}, {"TcpServer", "t.example"}, {"TcpPort", "9000"},
                                 {"TcpProductKey", "tk"}, {"TcpProductSecret", "ts"}, {"UdpType", "0"},
                                 {"UdpServer", "u.example"}, {"UdpPort", "9001"}, {"UdpProductKey", "uk"},
                                 {"UdpProductSecret", "us"}}),
      Case<DtuMqtt>("mqtt", {{"Server", "broker"}, {"Port", "1883"}, {"Keepalive", "60"}, {"ClientID", "c"},
                             {"Username", "user"}, {"Password", "pa=ss"}, {"SubTopic", "down"},
                             {"PubTopic", "up"}, {"Qos", "1"}, {"CleanSession", "1"}}),
      Case<DtuMqttAliyun>("aliyun", {{"Server", "iot.example"}, {"Port", "1883"}, {"Keepalive", "120"},
                                     {"InstanceID", "inst"}, {"ProductKey", "pk"}, {"ProductSecret", "ps"},
                                     {"DeviceName", "dn"}, {"DeviceSecret", "ds"}, {"SubTopic", "s"},
                                     {"PubTopic", "p"}}),
      Case<DtuMqttOnenet>("onenet", {{"Server", "one.example"}, {"Port", "1883"}, {"Keepalive", "30"},
                                     {"SubTopic", "s"}, {"PubTopic", "p"}, {"DeviceName", "dev"},
                                     {"ProductID", "prod"}, {"DeviceKey", "dk"}, {"AccessKey", "ak"}}),
  };
}

class PageStore : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ASSERT_TRUE(DtuConfig::CreateDefaultFile(ConfigPath()));
  }
};

}  // namespace

TEST_F(PageStore, SaveThenReadLocalRoundTripsEveryPage) {
  for (const StoreCase &c : AllPages()) {
    std::unique_ptr<DtuPage> writer = c.make();
    std::string error;
    for (const auto &[name, value] : c.fields) ASSERT_TRUE(writer->SetField(name, value, error)) << error;
    messages_.clear();
    EXPECT_TRUE(c.save(*writer)) << c.name;
    writer.reset();
    std::unique_ptr<DtuPage> reader = c.make();
    EXPECT_TRUE(c.read(*reader)) << c.name;
    for (const auto &[name, value] : c.fields) {
      std::string got;
      reader->GetField(name, got);
      EXPECT_EQ(got, value) << c.name << " " << name;
    }
    ASSERT_EQ(messages_.size(), 2u) << c.name;
    EXPECT_EQ(messages_[1], NamingFile("Read local config succeeded!")) << c.name;
  }
}

TEST_F(PageStore, SavingOnePageKeepsTheOthers) {
  DtuMqtt mqtt;
  std::string error;
  mqtt.SetField("Server", "kept", error);
  mqtt.OnBnClickedBtSaveLocal();
  DtuDataPort data_port;
  data_port.OnBnClickedBtSaveLocal();
  DtuMqtt reader;
  reader.OnBnClickedBtReadLocal();
  EXPECT_EQ(reader.Text(DtuMqtt::kServer), "kept");
}

TEST_F(PageStore, DataPortWritesDeviceCodes) {
  DtuDataPort page;
  std::string error;
  page.SetField("BaudRate", "9", error);
  page.SetField("DataBits", "3", error);
  page.SetField("Parity", "2", error);
  page.OnBnClickedBtSaveLocal();
  const std::string file = ReadConfig();
  EXPECT_NE(file.find("Baudrate=115200"), std::string::npos) << file;
  EXPECT_NE(file.find("Databit=3"), std::string::npos) << file;
  EXPECT_NE(file.find("Parity=3"), std::string::npos) << file;
}

TEST_F(PageStore, ReadLocalOfTheTemplateGivesFirstEntriesAndZeros) {
  DtuDataPort data_port;
  DtuWorkMode work_mode;
  DtuTcpUdp tcp_udp;
  DtuMqtt mqtt;
  DtuNet net;
  data_port.OnBnClickedBtReadLocal();
  work_mode.OnBnClickedBtReadLocal();
  tcp_udp.OnBnClickedBtReadLocal();
  mqtt.OnBnClickedBtReadLocal();
  net.OnBnClickedBtReadLocal();
  EXPECT_EQ(data_port.Model().baud_index, 0);
  EXPECT_EQ(data_port.Model().databits_index, 0);
  EXPECT_EQ(data_port.Model().parity_index, 0);
  EXPECT_EQ(work_mode.Model().mode, 0);
  EXPECT_EQ(tcp_udp.Model().half[0].type, 0);
  EXPECT_EQ(tcp_udp.Model().half[1].port, "0");
  EXPECT_EQ(mqtt.Text(DtuMqtt::kQos), "0");
  EXPECT_EQ(mqtt.Text(DtuMqtt::kServer), "");
  EXPECT_EQ(net.Model().dial_type, 1) << "an empty APN is a manual one";
}

TEST_F(PageStore, ReadLocalBringsOutOfRangeValuesBackIntoTheLists) {
  WriteConfig("[DEVICE_INFO]\nremoteCfgFlag=-1\nlogLevel=9\n[CHANNEL]\nChannel=9\n[TCP_UDP]\nTCP_TYPE=5\n"
              "UDP_TYPE=2\n[UART]\nBaudrate=123\nDatabit=7\nParity=2\n[netInfo]\napn=AUTO\n");
  DtuDevinfo devinfo;
  DtuWorkMode work_mode;
  DtuTcpUdp tcp_udp;
  DtuDataPort data_port;
  DtuNet net;
  devinfo.OnBnClickedBtReadLocal();
  work_mode.OnBnClickedBtReadLocal();
  tcp_udp.OnBnClickedBtReadLocal();
  data_port.OnBnClickedBtReadLocal();
  net.OnBnClickedBtReadLocal();
  EXPECT_EQ(devinfo.Model().remote_switch, 0);
  EXPECT_EQ(devinfo.Model().log_level, 2);
  EXPECT_EQ(devinfo.Model().watchdog, 1) << "the watchdog is not stored";
  EXPECT_EQ(work_mode.Model().mode, 1);
  EXPECT_EQ(tcp_udp.Model().half[0].type, 0);
  EXPECT_EQ(tcp_udp.Model().half[1].type, 1);
  EXPECT_EQ(data_port.Model().baud_index, 0);
  EXPECT_EQ(data_port.Model().databits_index, 0);
  EXPECT_EQ(data_port.Model().parity_index, 0);
  EXPECT_EQ(net.Model().dial_type, 0);
}

TEST_F(PageStore, TextsOverTheFileCapacityAreRefusedByName) {
  struct Over {
    StoreCase page;
    std::string message;
  } cases[] = {
      {Case<DtuDevinfo>("devinfo", {{"RemoteCfgServer", std::string(64, 'h')}}),
       "RemoteCfgServer cannot exceed 63 characters; nothing was saved!"},
      {Case<DtuTcpUdp>("tcpudp", {{"UdpProductKey", std::string(32, 'k')}}),
       "UDP Product Name cannot exceed 31 characters; nothing was saved!"},
      {Case<DtuMqtt>("mqtt", {{"PubTopic", std::string(64, 't')}}),
       "PubTopic cannot exceed 63 characters; nothing was saved!"},
      {Case<DtuMqttAliyun>("aliyun", {{"ProductKey", std::string(32, 'k')}}),
       "ProductKey cannot exceed 31 characters; nothing was saved!"},
      {Case<DtuMqttOnenet>("onenet", {{"AccessKey", std::string(64, 'a')}}),
       "AccessKey cannot exceed 63 characters; nothing was saved!"},
      {Case<DtuNet>("net", {{"APN", std::string(33, 'a')}}), "APN length cannot exceed 32 characters!"},
  };
  const std::string before = ReadConfig();
  for (const Over &c : cases) {
    std::unique_ptr<DtuPage> page = c.page.make();
    std::string error;
    for (const auto &[name, value] : c.page.fields) page->SetField(name, value, error);
    messages_.clear();
    EXPECT_FALSE(c.page.save(*page)) << c.page.name;
    ASSERT_EQ(messages_.size(), 1u) << c.page.name;
    EXPECT_EQ(messages_[0], c.message);
    EXPECT_EQ(ReadConfig(), before) << c.page.name;
  }
}

TEST_F(PageStore, TextsAtTheCapacityAreSaved) {
  DtuDevinfo page;
  std::string error;
  page.SetField("RemoteCfgServer", std::string(63, 'h'), error);
  EXPECT_TRUE(page.OnBnClickedBtSaveLocal());
  DtuDevinfo reader;
  reader.OnBnClickedBtReadLocal();
  EXPECT_EQ(reader.Model().remote_server, std::string(63, 'h'));
}

TEST_F(PageStore, WorkModeAndMqttCreateAMissingFile) {
  for (int page_kind = 0; page_kind < 2; ++page_kind) {
    std::remove(ConfigPath().c_str());
    messages_.clear();
    std::string error;
    if (page_kind == 0) {
      DtuWorkMode page;
      page.SetField("WorkMode", "3", error);
      EXPECT_TRUE(page.OnBnClickedBtSaveLocal());
      ASSERT_EQ(messages_.size(), 3u);
      EXPECT_EQ(messages_[2], NamingFile("Configuration succeeded"));
      EXPECT_NE(ReadConfig().find("Channel=3"), std::string::npos);
    } else {
      DtuMqtt page;
      page.SetField("Server", "fresh", error);
      EXPECT_TRUE(page.OnBnClickedBtSaveLocal());
      ASSERT_EQ(messages_.size(), 3u);
      EXPECT_EQ(messages_[2], NamingFile("Save config succeeded"));
      EXPECT_NE(ReadConfig().find("Server=fresh"), std::string::npos);
    }
    EXPECT_EQ(messages_[0], "Failed to open config file: " + ConfigPath());
    EXPECT_EQ(messages_[1], NamingFile("Failed to read config file!"));
  }
}

TEST_F(PageStore, WorkModeAndMqttNeverOverwriteAnUnreadableFile) {
  std::remove(ConfigPath().c_str());
  ASSERT_EQ(::mkdir(ConfigPath().c_str(), 0700), 0);  // exists, cannot be read as a file
  DtuWorkMode work_mode;
  DtuMqtt mqtt;
  for (int page_kind = 0; page_kind < 2; ++page_kind) {
    messages_.clear();
    bool saved = page_kind == 0 ? work_mode.OnBnClickedBtSaveLocal() : mqtt.OnBnClickedBtSaveLocal();
    EXPECT_FALSE(saved);
    ASSERT_EQ(messages_.size(), 2u) << "no save attempted, no second failure";
    EXPECT_EQ(messages_[1], NamingFile("Failed to read config file!"));
  }
  struct stat st;
  ASSERT_EQ(::stat(ConfigPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  ::rmdir(ConfigPath().c_str());
}

TEST_F(PageStore, OtherPagesStopWhenTheFileCannotBeRead) {
  std::remove(ConfigPath().c_str());
  DtuDevinfo page;
  messages_.clear();
  EXPECT_FALSE(page.OnBnClickedBtSaveLocal());
  EXPECT_FALSE(page.OnBnClickedBtReadLocal());
  ASSERT_EQ(messages_.size(), 4u);
  EXPECT_EQ(messages_[1], NamingFile("Failed to read config file!"));
  EXPECT_EQ(messages_[3], NamingFile("Failed to read config file!"));
  struct stat st;
  EXPECT_NE(::stat(ConfigPath().c_str(), &st), 0) << "nothing was written";
}
