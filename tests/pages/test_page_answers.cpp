// Device answers reach the pages through the real dispatcher; the buttons of
// every page refuse while the command port is closed.
#include <QSignalSpy>

#include <functional>
#include <string>

#include "link/dtu_cmd_ring.h"
#include "pages/settings/dtu_data_port.h"
#include "pages/settings/dtu_devinfo.h"
#include "pages/mqtt/dtu_mqtt.h"
#include "pages/mqtt/dtu_mqtt_aliyun.h"
#include "pages/mqtt/dtu_mqtt_onenet.h"
#include "pages/settings/dtu_net.h"
#include "pages/settings/dtu_tcp_udp.h"
#include "pages/settings/dtu_work_mode.h"
#include "tests/pages/page_test_support.h"

namespace {

std::string Field(const DtuPage &page, const char *name) {
  std::string value;
  EXPECT_TRUE(page.GetField(name, value)) << name;
  return value;
}

class PageAnswers : public PageTest {};

}  // namespace

TEST_F(PageAnswers, DeviceInfoEdgeCases) {
  DtuDevinfo page;
  struct Case {
    std::string answer;
    const char *field;
    std::string expected;
  } cases[] = {
      {"\r\nIMEI : 123", "IMEI", "123"},  // prefix case is ignored
      {"version : V1.2.3", "Version", "V1.2.3"},
      {"iccid : 8986", "ICCID", "8986"},
      {"imsi : 4600", "IMSI", "4600"},
      {"remoteCfgInfo : 000001883", "RemoteCfgSwitch", "0"},
      {"remoteCfgInfo : 000001883", "RemoteCfgPort", "1883"},
      {"remoteCfgInfo : 000001883", "RemoteCfgServer", ""},
      {"remoteCfgInfo : 100000080cfg.example", "RemoteCfgSwitch", "1"},
      {"remoteCfgInfo : 100000080cfg.example", "RemoteCfgServer", "cfg.example"},
      {"logLevel : 7", "LogLevel", "2"},
      {"logLevel : 3", "LogLevel", "3"},
      {"logLevel : -1", "LogLevel", "2"},
      {"watchdog-switch : 5", "WatchDogSwitch", "1"},
      {"watchdog-switch : 0", "WatchDogSwitch", "0"},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    EXPECT_EQ(Field(page, c.field), c.expected) << c.answer;
  }
  EXPECT_TRUE(messages_.empty()) << "a Read answer shows no message";
}

TEST_F(PageAnswers, DataPortEdgeCases) {
  DtuDataPort page;
  struct Case {
    std::string answer;
    const char *field;
    std::string expected;
  } cases[] = {
      {"uart-baudrate : 115200", "BaudRate", "9"},
      {"uart-baudrate : 14400", "BaudRate", "4"},
      {"uart-baudrate : 300", "BaudRate", "4"},  // no match: selection stays
      {"uart-databit : 3", "DataBits", "3"},
      {"uart-databit : 1", "DataBits", "1"},
      {"uart-databit : 7", "DataBits", "1"},  // "12" matches nothing
      {"uart-parity : 3", "Parity", "2"},
      {"uart-parity : 2", "Parity", "2"},  // no code 2
      {"uart-parity : 1", "Parity", "1"},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    EXPECT_EQ(Field(page, c.field), c.expected) << c.answer;
  }
}

TEST_F(PageAnswers, NetInfoMarkersAndDialType) {
  DtuNet page;
  struct Case {
    std::string answer;
    int dial_type;
    std::string apn, username, password;
  } cases[] = {
      {"netInfo : apn:cmnet&username:user&pwd:secret&", 1, "cmnet", "user", "secret"},
      {"netInfo : apn:auto&username: &pwd: &", 0, "auto", " ", " "},
      {"netInfo : apn:AUTO&username: &pwd: &", 0, "AUTO", " ", " "},
      {"netInfo : none of the markers", 1, "", "", ""},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    EXPECT_EQ(page.Model().dial_type, c.dial_type) << c.answer;
    EXPECT_EQ(page.ManualFieldsVisible(), c.dial_type == 1) << c.answer;
    EXPECT_EQ(page.Model().apn, c.apn) << c.answer;
    EXPECT_EQ(page.Model().username, c.username) << c.answer;
    EXPECT_EQ(page.Model().password, c.password) << c.answer;
  }
  Answer("bandValue : 3");  // accepted and ignored
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PageAnswers, WorkModeOutsideTheListLeavesNoSelection) {
  DtuWorkMode page;
  Answer("mqtt-channel : 3");
  EXPECT_EQ(page.Model().mode, 3);
  Answer("mqtt-channel : 7");
  EXPECT_EQ(page.Model().mode, -1);
  Answer("mqtt-channel : 2");
  EXPECT_EQ(page.Model().mode, 2);
}

TEST_F(PageAnswers, TcpTypeTwoHidesTheKeyFieldsAndKeepsTheirTexts) {
  DtuTcpUdp page;
  Answer("tcp-productkey : PK");
  Answer("tcp-productsecret : PS");
  Answer("tcp-type : 2");
  EXPECT_EQ(page.Model().half[DtuTcpUdp::kTcp].type, 1);
  EXPECT_FALSE(page.KeyFieldsVisible(DtuTcpUdp::kTcp));
  EXPECT_TRUE(page.KeyFieldsVisible(DtuTcpUdp::kUdp));
  EXPECT_EQ(Field(page, "TcpProductKey"), "PK");
  EXPECT_EQ(Field(page, "TcpProductSecret"), "PS");
  Answer("tcp-type : 9");  // neither 1 nor 2: nothing changes
  EXPECT_EQ(page.Model().half[DtuTcpUdp::kTcp].type, 1);
  Answer("udp-type : 2");
  EXPECT_FALSE(page.KeyFieldsVisible(DtuTcpUdp::kUdp));
  Answer("tcp-type : 1");
  EXPECT_TRUE(page.KeyFieldsVisible(DtuTcpUdp::kTcp));
}

TEST_F(PageAnswers, TcpUdpPortsAreNumbers) {
  DtuTcpUdp page;
  struct Case {
    std::string answer;
    const char *field;
    std::string expected;
  } cases[] = {
      {"tcp-port : 8080", "TcpPort", "8080"},
      {"tcp-port : 123abc", "TcpPort", "123"},
      {"udp-port : abc", "UdpPort", "0"},
      {"udp-addr : 10.0.0.1", "UdpServer", "10.0.0.1"},
      {"tcp-addr : host.example", "TcpServer", "host.example"},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    EXPECT_EQ(Field(page, c.field), c.expected) << c.answer;
  }
  EXPECT_TRUE(messages_.empty()) << "no Set was pending";
}

TEST_F(PageAnswers, MqttPagesTakeEveryPrefixSpelling) {
  DtuMqtt mqtt;
  DtuMqttAliyun aliyun;
  DtuMqttOnenet onenet;
  struct Case {
    std::string answer;
    DtuPage *page;
    const char *field;
    std::string expected;
  } cases[] = {
      {"mqtt-addr : broker", &mqtt, "Server", "broker"},
      {"mqtt-clientId : c1", &mqtt, "ClientID", "c1"},
      {"mqtt-pubtopic : up", &mqtt, "PubTopic", "up"},
      {"mqtt-cleansession : 1", &mqtt, "CleanSession", "1"},
      {"aly-mqtt-productkey : k1", &aliyun, "ProductKey", "k1"},
      {"aly-mqtt-productKey : k2", &aliyun, "ProductKey", "k2"},
      {"aly-mqtt-instanceID : i1", &aliyun, "InstanceID", "i1"},
      {"aly-mqtt-instanceId : i2", &aliyun, "InstanceID", "i2"},
      {"aly-mqtt-instanceid : i3", &aliyun, "InstanceID", "i3"},
      {"aly-mqtt-productSecret : s", &aliyun, "ProductSecret", "s"},
      {"aly-mqtt-deviceName : dn", &aliyun, "DeviceName", "dn"},
      {"aly-mqtt-deviceSecret : ds", &aliyun, "DeviceSecret", "ds"},
      {"onenet-mqtt-clientId : d1", &onenet, "DeviceName", "d1"},
      {"onenet-mqtt-clientID : d2", &onenet, "DeviceName", "d2"},
      {"onenet-mqtt-deviceName : d3", &onenet, "DeviceName", "d3"},
      {"onenet-mqtt-devicename : d4", &onenet, "DeviceName", "d4"},
      {"onenet-mqtt-username : p1", &onenet, "ProductID", "p1"},
      {"onenet-mqtt-productId : p2", &onenet, "ProductID", "p2"},
      {"onenet-mqtt-productid : p3", &onenet, "ProductID", "p3"},
      {"onenet-mqtt-deviceKey : dk", &onenet, "DeviceKey", "dk"},
      {"onenet-mqtt-accessKey : ak", &onenet, "AccessKey", "ak"},
  };
  for (const Case &c : cases) {
    Answer(c.answer);
    EXPECT_EQ(Field(*c.page, c.field), c.expected) << c.answer;
  }
  EXPECT_EQ(Field(mqtt, "Port"), "") << "an answer fills only its own field";
}

TEST_F(PageAnswers, AnswersRaiseTheChangedSignal) {
  DtuMqtt page;
  QSignalSpy changed(&page, &DtuPage::Changed);
  Answer("mqtt-qos : 1");
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(PageAnswers, AnswersWithoutThePageObjectAreIgnored) {
  { DtuDevinfo page; }
  EXPECT_EQ(DtuDevinfo::Instance(), nullptr);
  Answer("imei : 1");  // the handler finds no page and does nothing
  SUCCEED();
}

TEST_F(PageAnswers, EveryButtonRefusesWhileThePortIsClosed) {
  DtuDevinfo devinfo;
  DtuDataPort data_port;
  DtuNet net;
  DtuWorkMode work_mode;
  DtuTcpUdp tcp_udp;
  DtuMqtt mqtt;
  DtuMqttAliyun aliyun;
  DtuMqttOnenet onenet;
  Answer("imei : 861");
  Answer("uart-baudrate : 115200");
  std::function<bool()> buttons[] = {
      [&] { return devinfo.OnBnClickedBtRead(); },   [&] { return devinfo.OnBnClickedBtSet(); },
      [&] { return devinfo.OnBnClickedBtReboot(); }, [&] { return devinfo.OnBnClickedBtReset(); },
      [&] { return data_port.OnBnClickedBtRead(); }, [&] { return data_port.OnBnClickedBtSet(); },
      [&] { return net.OnBnClickedBtRead(); },       [&] { return net.OnBnClickedBtSet(); },
      [&] { return work_mode.OnBnClickedBtRead(); }, [&] { return work_mode.OnBnClickedBtSet(); },
      [&] { return tcp_udp.OnBnClickedBtTcpRead(); }, [&] { return tcp_udp.OnBnClickedBtTcpSet(); },
      [&] { return tcp_udp.OnBnClickedBtUdpRead(); }, [&] { return tcp_udp.OnBnClickedBtUdpSet(); },
      [&] { return mqtt.OnBnClickedBtRead(); },      [&] { return mqtt.OnBnClickedBtSet(); },
      [&] { return aliyun.OnBnClickedBtRead(); },    [&] { return aliyun.OnBnClickedBtSet(); },
      [&] { return onenet.OnBnClickedBtRead(); },    [&] { return onenet.OnBnClickedBtSet(); },
  };
  int index = 0;
  for (auto &press : buttons) {
    messages_.clear();
    EXPECT_FALSE(press()) << "button " << index;
    ASSERT_EQ(messages_.size(), 1u) << "button " << index;
    EXPECT_EQ(messages_[0], "Config serial port is not open") << "button " << index;
    EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0) << "button " << index;
    ++index;
  }
  // Read with the port closed empties nothing and no Set is pending.
  EXPECT_EQ(devinfo.Model().imei, "861");
  EXPECT_EQ(data_port.Model().baud_index, 9);
  for (DtuPage *page : std::initializer_list<DtuPage *>{&devinfo, &data_port, &net, &work_mode, &tcp_udp, &mqtt,
                                                        &aliyun, &onenet}) {
    EXPECT_FALSE(page->SetPending()) << page->PageName();
  }
}
