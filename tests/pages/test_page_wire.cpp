// Every page against the simulated device through the real command port:
// Read fills the model, Set puts exactly its lines on the wire and shows its
// success message when the answer to its last key arrives.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/dtu_cmd_ring.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/dtu_page_runner.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "tests/pages/wire_fixture.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
constexpr int kTimeoutMs = 8000;

std::string Get(const char *key) { return std::string("AT+ZEVCFG=get|") + key; }
std::string Set(const std::string &key, const std::string &payload) { return "AT+ZEVCFG=set|" + key + "|" + payload; }

std::unique_ptr<DtuPage> PageWith(const std::string &name, const Pairs &fields) {
  std::unique_ptr<DtuPage> page = DtuCreatePage(name);
  for (const auto &[field, value] : fields) {
    std::string error;
    EXPECT_TRUE(page->SetField(field, value, error)) << error;
  }
  return page;
}

class PageWire : public PageWireTest {};

}  // namespace

TEST_F(PageWire, ReadFillsEveryPageFromTheDevice) {
  struct Case {
    const char *page;
    Pairs device;               // key -> value the device holds
    std::vector<std::string> queries;
    Pairs expected;             // field -> value after the Read
  } cases[] = {
      {"devinfo",
       {{"version", "V1.2.3"}, {"imei", "861234"}, {"imsi", "4600"}, {"iccid", "8986"},
        {"remoteCfgInfo", "100001883cfg.host"}, {"logLevel", "1"}, {"watchdog-switch", "0"}},
       {Get("version"), Get("imei"), Get("imsi"), Get("iccid"), Get("remoteCfgInfo"), Get("logLevel"),
        Get("watchdog-switch")},
       {{"Version", "V1.2.3"}, {"IMEI", "861234"}, {"RemoteCfgSwitch", "1"}, {"RemoteCfgPort", "1883"},
        {"RemoteCfgServer", "cfg.host"}, {"LogLevel", "1"}, {"WatchDogSwitch", "0"}}},
      {"dataport",
       {{"uart-baudrate", "115200"}, {"uart-databit", "2"}, {"uart-parity", "3"}},
       {Get("uart-baudrate"), Get("uart-databit"), Get("uart-parity")},
       {{"BaudRate", "9"}, {"DataBits", "2"}, {"Parity", "2"}}},
      {"net", {{"netInfo", "apn:cmiot&username:u&pwd:p&"}}, {Get("netInfo")},
       {{"DialType", "1"}, {"APN", "cmiot"}, {"Username", "u"}, {"Password", "p"}}},
      {"workmode", {{"mqtt-channel", "3"}}, {Get("mqtt-channel")}, {{"WorkMode", "3"}}},
      {"tcpudp",
       {{"tcp-type", "2"}, {"tcp-addr", "t.host"}, {"tcp-port", "9000"}, {"udp-type", "1"},
        {"udp-productkey", "uk"}, {"udp-productsecret", "us"}, {"udp-addr", "u.host"}, {"udp-port", "9001"}},
       {Get("tcp-type"), Get("tcp-productkey"), Get("tcp-productsecret"), Get("tcp-addr"), Get("tcp-port"),
        Get("udp-type"), Get("udp-productkey"), Get("udp-productsecret"), Get("udp-addr"), Get("udp-port")},
       {{"TcpType", "1"}, {"TcpServer", "t.host"}, {"TcpPort", "9000"}, {"UdpType", "0"},
        {"UdpProductKey", "uk"}, {"UdpProductSecret", "us"}, {"UdpPort", "9001"}}},
      {"onenet",
       {{"onenet-mqtt-addr", "one.host"}, {"onenet-mqtt-clientId", "dev"}, {"onenet-mqtt-username", "prod"},
        {"onenet-mqtt-accesskey", "ak"}},
       {Get("onenet-mqtt-addr"), Get("onenet-mqtt-port"), Get("onenet-mqtt-keepalive"),
        Get("onenet-mqtt-subtopic"), Get("onenet-mqtt-pubtopic"), Get("onenet-mqtt-clientId"),
        Get("onenet-mqtt-username"), Get("onenet-mqtt-devicekey"), Get("onenet-mqtt-accesskey")},
       {{"Server", "one.host"}, {"DeviceName", "dev"}, {"ProductID", "prod"}, {"AccessKey", "ak"}}},
  };
  size_t seen = 0;
  for (const Case &c : cases) {
    for (const auto &[key, value] : c.device) SetDeviceValue(key, value);
    std::unique_ptr<DtuPage> page = DtuCreatePage(c.page);
    ASSERT_EQ(DtuPageRunRead(*page, kTimeoutMs), DtuPageRun::kDone) << c.page;
    for (const auto &[field, value] : c.expected) {
      std::string got;
      page->GetField(field, got);
      EXPECT_EQ(got, value) << c.page << " " << field;
    }
    std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + seen, lines.end()), c.queries) << c.page;
    seen = lines.size();
  }
  EXPECT_TRUE(messages_.empty()) << "a Read shows no message";
}

TEST_F(PageWire, SetPutsExactlyItsLinesAndConfirmsOnTheLastAnswer) {
  struct Case {
    const char *page;
    Pairs fields;
    std::vector<std::string> lines;
    const char *message;
  } cases[] = {
      {"devinfo", {{"RemoteCfgSwitch", "1"}, {"RemoteCfgPort", "1883"}, {"RemoteCfgServer", "abc"}},
       {Set("remoteCfgInfo", "100001883abc"), Set("watchdog-switch", "1"), Set("logLevel", "2")},
       "Configuration succeeded"},
      {"devinfo", {{"RemoteCfgPort", ""}}, {Set("remoteCfgInfo", "000000000"), Set("watchdog-switch", "1"),
                                            Set("logLevel", "2")}, "Configuration succeeded"},
      {"dataport", {{"BaudRate", "9"}, {"DataBits", "3"}, {"Parity", "2"}},
       {Set("uart-baudrate", "115200"), Set("uart-databit", "3"), Set("uart-parity", "3")},
       "Configuration succeeded"},
      {"net", {{"DialType", "0"}, {"APN", "ignored"}}, {Set("netInfo", "apn:auto&username: &pwd: &")},
       "Network configuration succeeded"},
      {"net", {{"DialType", "1"}, {"APN", std::string(32, 'a')}},
       {Set("netInfo", "apn:" + std::string(32, 'a') + "&username:&pwd:")}, "Network configuration succeeded"},
      {"workmode", {{"WorkMode", "2"}}, {Set("mqtt-channel", "2")}, "Configuration succeeded"},
      {"mqtt", {{"Server", "b.host"}, {"Password", "a|b,c"}, {"PubTopic", "x,y"}, {"Port", "1883"},
                {"Keepalive", "60"}, {"Qos", "1"}, {"CleanSession", "0"}},
       {Set("mqtt-addr", "b.host"), Set("mqtt-port", "1883"), Set("mqtt-keepalive", "60"), Set("mqtt-clientId", ""),
        Set("mqtt-username", ""), Set("mqtt-password", "a[dec]b[comma]c"), Set("mqtt-subtopic", ""),
        Set("mqtt-pubtopic", "x,y"), Set("mqtt-qos", "1"), Set("mqtt-cleansession", "0")},
       "Configuration succeeded"},
      {"aliyun", {{"InstanceID", ""}, {"ProductKey", "pk"}, {"PubTopic", "up"}, {"Port", "1883"}, {"Keepalive", "0"}},
       {Set("aly-mqtt-addr", ""), Set("aly-mqtt-port", "1883"), Set("aly-mqtt-keepalive", "0"),
        Set("aly-mqtt-instanceID", ""), Set("aly-mqtt-productkey", "pk"), Set("aly-mqtt-productsecret", ""),
        Set("aly-mqtt-devicename", ""), Set("aly-mqtt-devicesecret", ""), Set("aly-mqtt-subtopic", ""),
        Set("aly-mqtt-pubtopic", "up")},
       "Configuration succeeded"},
      {"onenet", {{"DeviceName", "dev"}, {"ProductID", "prod"}, {"AccessKey", "ak"}, {"Port", "6002"},
                  {"Keepalive", "120"}},
       {Set("onenet-mqtt-addr", ""), Set("onenet-mqtt-port", "6002"), Set("onenet-mqtt-keepalive", "120"),
        Set("onenet-mqtt-subtopic", ""), Set("onenet-mqtt-pubtopic", ""), Set("onenet-mqtt-clientId", "dev"),
        Set("onenet-mqtt-username", "prod"), Set("onenet-mqtt-devicekey", ""), Set("onenet-mqtt-accesskey", "ak")},
       "Configuration succeeded"},
      {"tcpudp", {{"TcpType", "1"}, {"TcpServer", "t.host"}, {"TcpPort", "9000"}, {"TcpProductKey", "hidden"},
                  {"UdpType", "0"}, {"UdpProductKey", "k"}, {"UdpProductSecret", "s"}, {"UdpServer", "u"},
                  {"UdpPort", "1"}},
       {Set("tcp-type", "2"), Set("tcp-addr", "t.host"), Set("tcp-port", "9000"), Set("udp-type", "1"),
        Set("udp-productkey", "k"), Set("udp-productsecret", "s"), Set("udp-addr", "u"), Set("udp-port", "1")},
       "Configuration succeeded"},  // both halves in one Set: told once
  };
  size_t seen = 0;
  for (const Case &c : cases) {
    std::unique_ptr<DtuPage> page = PageWith(c.page, c.fields);
    messages_.clear();
    ASSERT_EQ(DtuPageRunSet(*page, kTimeoutMs), DtuPageRun::kDone) << c.page;
    std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + seen, lines.end()), c.lines) << c.page;
    seen = lines.size();
    EXPECT_EQ(messages_, std::vector<std::string>{c.message}) << c.page;
  }
  EXPECT_EQ(DeviceValue("mqtt-password"), "a|b,c") << "the device gets the text back unescaped";
}

TEST_F(PageWire, TcpUdpHalfSetFailsOnItsPortLineAndTheOtherHalfStillConfirms) {
  DtuTcpUdp page;
  std::string error;
  page.SetField("TcpType", "1", error);
  page.SetField("TcpPort", "6000", error);
  FailKey("tcp-port");
  ASSERT_TRUE(page.OnBnClickedBtTcpSet());
  EXPECT_TRUE(messages_.empty()) << "nothing is confirmed when the lines are only queued";
  ASSERT_TRUE(DtuPageWaitUntil([&] { return page.RunningAction() == DtuPageAction::Kind::kNone; }, kTimeoutMs));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].rfind("The device refused TCP ", 0), 0u) << messages_[0];
  EXPECT_FALSE(page.SetPending()) << "a failed Set leaves nothing to confirm";
  page.SetField("UdpPort", "7000", error);
  messages_.clear();
  ASSERT_TRUE(page.OnBnClickedBtUdpSet());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return page.RunningAction() == DtuPageAction::Kind::kNone; }, kTimeoutMs));
  EXPECT_EQ(messages_, std::vector<std::string>{"Configuration succeeded"});
}

TEST_F(PageWire, LinesThatDoNotFitAreNotSent) {
  struct Case {
    const char *page;
    Pairs fields;
    std::string message;
  } cases[] = {
      {"mqtt", {{"PubTopic", std::string(240, 't')}, {"Port", "1"}, {"Keepalive", "1"}, {"Qos", "0"},
                {"CleanSession", "1"}},
       "PubTopic is too long: a command line cannot exceed 255 bytes; nothing was sent."},
      {"devinfo", {{"RemoteCfgServer", std::string(230, 's')}},
       "RemoteCfgServer is too long: a command line cannot exceed 255 bytes; nothing was sent."},
      {"tcpudp", {{"UdpServer", std::string(240, 'u')}, {"TcpPort", "1"}, {"UdpPort", "1"}},
       "UDP Server Address is too long: a command line cannot exceed 255 bytes; nothing was sent."},
      {"onenet", {{"AccessKey", std::string(230, 'a')}, {"Port", "1"}, {"Keepalive", "1"}},
       "AccessKey is too long: a command line cannot exceed 255 bytes; nothing was sent."},
      {"net", {{"DialType", "1"}, {"APN", std::string(33, 'a')}}, "APN length cannot exceed 32 characters!"},
  };
  for (const Case &c : cases) {
    std::unique_ptr<DtuPage> page = PageWith(c.page, c.fields);
    messages_.clear();
    EXPECT_EQ(DtuPageRunSet(*page, 100), DtuPageRun::kRefused) << c.page;
    EXPECT_EQ(messages_, std::vector<std::string>{c.message});
    EXPECT_FALSE(page->SetPending()) << "no success message can follow";
  }
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);
  DtuPageWaitUntil([] { return false; }, 200);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(PageWire, RebootAndResetConfirmThatTheyWereSent) {
  std::unique_ptr<DtuPage> base = DtuCreatePage("devinfo");
  auto &page = static_cast<DtuDevinfo &>(*base);
  EXPECT_TRUE(page.OnBnClickedBtReboot());
  EXPECT_TRUE(page.OnBnClickedBtReset());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Reboot command sent", "Reset command sent"}));
  ASSERT_TRUE(WaitForLines(2));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"AT+ZEVCFG=set|reboot", "AT+ZEVCFG=set|reload"}));
}

// A Set whose confirming answer was an error ends at once, and the Read
// that follows cannot turn it into a success.
TEST_F(PageWire, AReadAfterAFailedSetShowsNoSuccess) {
  std::unique_ptr<DtuPage> page = PageWith("onenet", {{"AccessKey", "ak"}, {"Port", "1883"}, {"Keepalive", "60"}});
  FailKey("onenet-mqtt-accesskey");
  EXPECT_EQ(DtuPageRunSet(*page, kTimeoutMs), DtuPageRun::kDeviceError);
  EXPECT_EQ(messages_, std::vector<std::string>{"The device refused AccessKey (ERROR)"});
  EXPECT_FALSE(page->SetPending());
  HealKey("onenet-mqtt-accesskey");
  SetDeviceValue("onenet-mqtt-accesskey", "ak");
  messages_.clear();
  ASSERT_EQ(DtuPageRunRead(*page, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PageWire, EmptyValuesEndAReadAndLeaveTheirFieldsEmpty) {
  // "mqtt-cleansession : " arrives cleaned as "mqtt-cleansession :": the
  // page still gets its empty value.
  std::unique_ptr<DtuPage> page = PageWith("mqtt", {{"CleanSession", "1"}, {"Server", "old"}});
  SetDeviceValue("mqtt-addr", "new");
  SetDeviceValue("mqtt-cleansession", "");
  ASSERT_EQ(DtuPageRunRead(*page, kTimeoutMs), DtuPageRun::kDone);
  std::string server, clean;
  page->GetField("Server", server);
  page->GetField("CleanSession", clean);
  EXPECT_EQ(server, "new");
  EXPECT_EQ(clean, "");
  EXPECT_EQ(Lines().size(), 10u);
}

TEST_F(PageWire, ASetAnsweredWithAnErrorEndsUnconfirmed) {
  std::unique_ptr<DtuPage> page = PageWith("workmode", {{"WorkMode", "1"}});
  FailKey("mqtt-channel");
  EXPECT_EQ(DtuPageRunSet(*page, kTimeoutMs), DtuPageRun::kDeviceError);
  EXPECT_EQ(messages_, std::vector<std::string>{"The device refused WorkMode (ERROR)"});
  EXPECT_FALSE(page->SetPending());
}
