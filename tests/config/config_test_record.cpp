#include "config_test_record.h"

#include <gtest/gtest.h>

#include <string>

namespace config_test {
namespace {

// Hands out distinct numbers and texts.
class Values {
 public:
  explicit Values(bool full) : full_(full) {}
  int Int() { return ++counter_ * 7 - 300; }  // negatives too
  template <std::size_t N>
  void Text(DtuFixedText<N> &field) {
    std::string text = "v" + std::to_string(++counter_) + "-\xC3\xA9x";  // a two-byte character inside
    if (full_) {
      while (text.size() < N) text += static_cast<char>('a' + text.size() % 26);
    }
    field = text;
  }

 private:
  bool full_;
  int counter_ = 0;
};

template <class Packet>
void FillPacket(Packet &p, Values &v) {
  p.funcSwitch = v.Int();
  p.cycle = v.Int();
  p.dataType = v.Int();
  p.itemNum = DtuConfig::kBhuItems;
  v.Text(p.data);
  for (auto &item : p.item) {
    item.itemType = v.Int();
    v.Text(item.itemData);
  }
}

template <class Channel>
void FillModbusChannel(Channel &ch, Values &v) {
  ch.slave = v.Int();
  ch.Function = v.Int();
  ch.Addr = v.Int();
  ch.Len = v.Int();
  ch.Cycle = v.Int();
}

void FillDlt645(DtuConfig::Dlt645Group &d, Values &v) {
  d.funcSwitch = v.Int();
  d.maxChannel = v.Int();
  for (auto &ch : d.channel) {
    v.Text(ch.addr);
    ch.preamble = v.Int();
    ch.cycle = v.Int();
    ch.diNum = v.Int();
    for (auto &di : ch.di) v.Text(di);
  }
  for (auto &rule : d.rule) {
    rule.rule = v.Int();
    rule.paramCnt = DtuConfig::kDlt645Params;
    for (auto &p : rule.param) {
      v.Text(p.tag);
      v.Text(p.di);
      p.dataType = v.Int();
      p.dataEndian = v.Int();
      p.dataRule = v.Int();
      p.rate = v.Int();
    }
  }
}

}  // namespace

void FillEveryField(DtuConfig &c, bool full_texts) {
  Values v(full_texts);
  c.uart = {v.Int(), v.Int(), v.Int()};
  c.modbus.funcSwitch = v.Int();
  c.modbus.maxChannel = v.Int();
  for (auto &ch : c.modbus.channel) FillModbusChannel(ch, v);
  c.modbusCache.funcSwitch = v.Int();
  c.modbusCache.maxChannel = v.Int();
  for (auto &ch : c.modbusCache.channel) FillModbusChannel(ch, v);
  for (auto &rule : c.decode.rule) {
    rule.rule = v.Int();
    rule.maxParamCnt = DtuConfig::kDecodeParams;
    for (auto &p : rule.param) {
      v.Text(p.tag);
      p.startOffset = v.Int();
      p.dataType = v.Int();
      p.dataEndian = v.Int();
      p.dataRule = v.Int();
      p.rate = v.Int();
    }
  }
  c.deviceInfo.remoteCfgFlag = v.Int();
  v.Text(c.deviceInfo.remoteCfgServer);
  c.deviceInfo.remoteCfgPort = v.Int();
  c.deviceInfo.logLevel = v.Int();
  c.channel.Channel = v.Int();
  auto &t = c.tcpUdp;
  t.TCP_TYPE = v.Int(), t.TCPPort = v.Int(), t.UDP_TYPE = v.Int(), t.UDPPort = v.Int();
  v.Text(t.TcpProductkey), v.Text(t.TcpProductsecret), v.Text(t.TCPServer);
  v.Text(t.UdpProductkey), v.Text(t.UdpProductsecret), v.Text(t.UDPServer);
  auto &m = c.mqtt;
  m.Port = v.Int(), m.Keepalive = v.Int(), m.Qos = v.Int(), m.CleanSession = v.Int();
  v.Text(m.Server), v.Text(m.ClientId), v.Text(m.Username), v.Text(m.Password), v.Text(m.SubTopic),
      v.Text(m.PubTopic);
  auto &a = c.aliyun;
  a.Port = v.Int(), a.Keepalive = v.Int();
  v.Text(a.Server), v.Text(a.InstanceID), v.Text(a.ProductKey), v.Text(a.ProductSecret), v.Text(a.DeviceName),
      v.Text(a.DeviceSecret), v.Text(a.SubTopic), v.Text(a.PubTopic);
  auto &o = c.onenet;
  o.Port = v.Int(), o.Keepalive = v.Int();
  v.Text(o.Server), v.Text(o.DeviceName), v.Text(o.ProductID), v.Text(o.DeviceKey), v.Text(o.AccessKey),
      v.Text(o.SubTopic), v.Text(o.PubTopic);
  FillPacket(c.bhu.login, v);
  c.bhu.login.cycle = 0;  // the login packet has no period in the file
  FillPacket(c.bhu.heartBeat, v);
  FillPacket(c.bhu.UserData, v);
  v.Text(c.netInfo.apn), v.Text(c.netInfo.username), v.Text(c.netInfo.pwd);
  FillDlt645(c.dlt645, v);
}

#define SAME(field) EXPECT_EQ(e.field, a.field) << #field
#define SAME_TEXT(field) EXPECT_EQ(e.field.str(), a.field.str()) << #field

void ExpectSameRecord(const DtuConfig &e, const DtuConfig &a) {
  SAME(uart.Baudrate); SAME(uart.Databit); SAME(uart.Parity);
  SAME(modbus.funcSwitch); SAME(modbus.maxChannel); SAME(modbusCache.funcSwitch); SAME(modbusCache.maxChannel);
  for (int k = 0; k < DtuConfig::kModbusChannels; ++k) {
    SAME(modbus.channel[k].slave); SAME(modbus.channel[k].Function); SAME(modbus.channel[k].Addr);
    SAME(modbus.channel[k].Len); SAME(modbus.channel[k].Cycle);
    SAME(modbusCache.channel[k].slave); SAME(modbusCache.channel[k].Function); SAME(modbusCache.channel[k].Addr);
    SAME(modbusCache.channel[k].Len); SAME(modbusCache.channel[k].Cycle);
  }
  for (int i = 0; i < DtuConfig::kDecodeRules; ++i) {
    SAME(decode.rule[i].rule); SAME(decode.rule[i].maxParamCnt);
    for (int j = 0; j < DtuConfig::kDecodeParams; ++j) {
      SAME_TEXT(decode.rule[i].param[j].tag); SAME(decode.rule[i].param[j].startOffset);
      SAME(decode.rule[i].param[j].dataType); SAME(decode.rule[i].param[j].dataEndian);
      SAME(decode.rule[i].param[j].dataRule); SAME(decode.rule[i].param[j].rate);
    }
  }
  SAME(deviceInfo.remoteCfgFlag); SAME_TEXT(deviceInfo.remoteCfgServer); SAME(deviceInfo.remoteCfgPort);
  SAME(deviceInfo.logLevel); SAME(channel.Channel);
  SAME(tcpUdp.TCP_TYPE); SAME_TEXT(tcpUdp.TcpProductkey); SAME_TEXT(tcpUdp.TcpProductsecret);
  SAME_TEXT(tcpUdp.TCPServer); SAME(tcpUdp.TCPPort); SAME(tcpUdp.UDP_TYPE); SAME_TEXT(tcpUdp.UdpProductkey);
  SAME_TEXT(tcpUdp.UdpProductsecret); SAME_TEXT(tcpUdp.UDPServer); SAME(tcpUdp.UDPPort);
  SAME_TEXT(mqtt.Server); SAME(mqtt.Port); SAME_TEXT(mqtt.ClientId); SAME(mqtt.Keepalive);
  SAME_TEXT(mqtt.Username); SAME_TEXT(mqtt.Password); SAME_TEXT(mqtt.SubTopic); SAME_TEXT(mqtt.PubTopic);
  SAME(mqtt.Qos); SAME(mqtt.CleanSession);
  SAME_TEXT(aliyun.Server); SAME(aliyun.Port); SAME(aliyun.Keepalive); SAME_TEXT(aliyun.InstanceID);
  SAME_TEXT(aliyun.ProductKey); SAME_TEXT(aliyun.ProductSecret); SAME_TEXT(aliyun.DeviceName);
  SAME_TEXT(aliyun.DeviceSecret); SAME_TEXT(aliyun.SubTopic); SAME_TEXT(aliyun.PubTopic);
  SAME_TEXT(onenet.Server); SAME(onenet.Port); SAME(onenet.Keepalive); SAME_TEXT(onenet.DeviceName);
  SAME_TEXT(onenet.ProductID); SAME_TEXT(onenet.DeviceKey); SAME_TEXT(onenet.AccessKey);
  SAME_TEXT(onenet.SubTopic); SAME_TEXT(onenet.PubTopic);
  auto same_packet = [](const auto &ep, const auto &ap, const char *name) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ep.funcSwitch, ap.funcSwitch); EXPECT_EQ(ep.cycle, ap.cycle); EXPECT_EQ(ep.dataType, ap.dataType);
    EXPECT_EQ(ep.itemNum, ap.itemNum); EXPECT_EQ(ep.data.str(), ap.data.str());
    for (int n = 0; n < DtuConfig::kBhuItems; ++n) {
      EXPECT_EQ(ep.item[n].itemType, ap.item[n].itemType) << n;
      EXPECT_EQ(ep.item[n].itemData.str(), ap.item[n].itemData.str()) << n;
    }
  };
  same_packet(e.bhu.login, a.bhu.login, "login");
  same_packet(e.bhu.heartBeat, a.bhu.heartBeat, "heartBeat");
  same_packet(e.bhu.UserData, a.bhu.UserData, "UserData");
  SAME_TEXT(netInfo.apn); SAME_TEXT(netInfo.username); SAME_TEXT(netInfo.pwd);
  SAME(dlt645.funcSwitch); SAME(dlt645.maxChannel);
  for (int k = 0; k < DtuConfig::kDlt645Channels; ++k) {
    SAME_TEXT(dlt645.channel[k].addr); SAME(dlt645.channel[k].preamble); SAME(dlt645.channel[k].cycle);
    SAME(dlt645.channel[k].diNum);
    for (int j = 0; j < DtuConfig::kDlt645DiCodes; ++j) SAME_TEXT(dlt645.channel[k].di[j]);
  }
  for (int r = 0; r < DtuConfig::kDlt645Rules; ++r) {
    SAME(dlt645.rule[r].rule); SAME(dlt645.rule[r].paramCnt);
    for (int p = 0; p < DtuConfig::kDlt645Params; ++p) {
      SAME_TEXT(dlt645.rule[r].param[p].tag); SAME_TEXT(dlt645.rule[r].param[p].di);
      SAME(dlt645.rule[r].param[p].dataType); SAME(dlt645.rule[r].param[p].dataEndian);
      SAME(dlt645.rule[r].param[p].dataRule); SAME(dlt645.rule[r].param[p].rate);
    }
  }
}

#undef SAME
#undef SAME_TEXT

}  // namespace config_test
