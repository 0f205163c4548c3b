// The sections of the configuration file as DtuConfig writes and reads them:
// one function per section, walking its keys in file order. A visitor does
// the work, so writing and reading can never disagree on a key:
//   Begin(name) / End()           section header / closing empty line
//   Comment(text)                 a comment line (written only)
//   Int(key, field)               integer key
//   Count(key, field, low, high)  integer key counting channels, items, ...:
//                                 a file value outside low..high is unusable
//   Text(key, field)              text key (a DtuFixedText)
//   OptionalText(key, field)      text key that is not written while empty
// `Config` is DtuConfig (reading) or const DtuConfig (writing).
#pragma once

#include <algorithm>
#include <string>

#include "config/dtu_config.h"
#include "config/dtu_config_added.h"

namespace dtu_config_layout {

inline std::string Numbered(const char *stem, int n) { return stem + std::to_string(n); }

inline std::string Numbered(const char *stem, int i, int j) {
  return stem + std::to_string(i) + std::to_string(j);
}

// Parameters or items actually stored for a count read from a file or a page.
inline int StoredCount(int count, int capacity) { return std::clamp(count, 0, capacity); }

template <class Config, class V>
void Uart(Config &c, V &v) {
  v.Begin("UART");
  v.Int("Baudrate", c.uart.Baudrate);
  v.Int("Databit", c.uart.Databit);
  v.Int("Parity", c.uart.Parity);
  v.End();
}

template <class Channels, class V>
void ModbusChannels(Channels &channels, int count, V &v) {
  for (int k = 1; k <= count; ++k) {
    auto &ch = channels[k - 1];
    v.Int(Numbered("slave", k), ch.slave);
    v.Int(Numbered("Function", k), ch.Function);
    v.Int(Numbered("Addr", k), ch.Addr);
    v.Int(Numbered("Len", k), ch.Len);
    v.Int(Numbered("Cycle", k), ch.Cycle);
  }
}

template <class Config, class V>
void Modbus(Config &c, V &v) {
  v.Begin("MODBUS");
  v.Int("funcSwitch", c.modbus.funcSwitch);
  v.Count("maxChannel", c.modbus.maxChannel, 1, DtuConfig::kModbusChannels);
  ModbusChannels(c.modbus.channel, DtuConfig::kModbusChannels, v);
  v.End();
}

template <class Config, class V>
void Decode(Config &c, V &v) {
  v.Begin("DECODE");
  for (int i = 1; i <= DtuConfig::kDecodeRules; ++i) {
    auto &rule = c.decode.rule[i - 1];
    v.Int(Numbered("rule", i), rule.rule);
    v.Count(Numbered("maxParamCnt", i), rule.maxParamCnt, 0, DtuConfig::kDecodeParams);
    const int count = StoredCount(rule.maxParamCnt, DtuConfig::kDecodeParams);
    for (int j = 1; j <= count; ++j) {
      auto &param = rule.param[j - 1];
      v.Text(Numbered("tag", i, j), param.tag);
      v.Int(Numbered("startOffset", i, j), param.startOffset);
      v.Int(Numbered("dataType", i, j), param.dataType);
      v.Int(Numbered("dataEndian", i, j), param.dataEndian);
      v.Int(Numbered("dataRule", i, j), param.dataRule);
      v.Int(Numbered("rate", i, j), param.rate);
    }
  }
  v.End();
}

template <class Config, class V>
void DeviceInfo(Config &c, V &v) {
  v.Begin("DEVICE_INFO");
  v.Int("remoteCfgFlag", c.deviceInfo.remoteCfgFlag);
  v.Text("remoteCfgServer", c.deviceInfo.remoteCfgServer);
  v.Int("remoteCfgPort", c.deviceInfo.remoteCfgPort);
  v.Int("logLevel", c.deviceInfo.logLevel);
  v.End();
}

template <class Config, class V>
void Channel(Config &c, V &v) {
  v.Begin("CHANNEL");
  v.Int("Channel", c.channel.Channel);
  v.End();
}

template <class Config, class V>
void TcpUdp(Config &c, V &v) {
  auto &t = c.tcpUdp;
  v.Begin("TCP_UDP");
  v.Int("TCP_TYPE", t.TCP_TYPE);
  v.Text("TcpProductkey", t.TcpProductkey);
  v.Text("TcpProductsecret", t.TcpProductsecret);
  v.Int("UDP_TYPE", t.UDP_TYPE);
  v.Text("UdpProductkey", t.UdpProductkey);
  v.Text("UdpProductsecret", t.UdpProductsecret);
  v.Text("TCPServer", t.TCPServer);
  v.Int("TCPPort", t.TCPPort);
  v.Text("UDPServer", t.UDPServer);
  v.Int("UDPPort", t.UDPPort);
  v.End();
}

template <class Config, class V>
void Mqtt(Config &c, V &v) {
  auto &m = c.mqtt;
  v.Begin("MQTT");
  v.Text("Server", m.Server);
  v.Int("Port", m.Port);
  v.Text("ClientId", m.ClientId);
  v.Int("Keepalive", m.Keepalive);
  v.Text("Username", m.Username);
  v.Text("Password", m.Password);
  v.Text("SubTopic", m.SubTopic);
  v.Text("PubTopic", m.PubTopic);
  v.Int("Qos", m.Qos);
  v.Int("CleanSession", m.CleanSession);
  v.End();
}

// One BHU packet; the login packet has no cycle key.
template <class Packet, class V>
void BhuPacket(Packet &p, const std::string &suffix, bool has_cycle, V &v) {
  v.Int("funcSwitch_" + suffix, p.funcSwitch);
  if (has_cycle) v.Int("cycle_" + suffix, p.cycle);
  v.Int("dataType_" + suffix, p.dataType);
  v.Text("data_" + suffix, p.data);
  v.Count("itemNum_" + suffix, p.itemNum, 0, DtuConfig::kBhuItems);
  const int count = StoredCount(p.itemNum, DtuConfig::kBhuItems);
  for (int n = 1; n <= count; ++n) {
    v.Int(Numbered("itemType", n) + "_" + suffix, p.item[n - 1].itemType);
    v.Text(Numbered("itemData", n) + "_" + suffix, p.item[n - 1].itemData);
  }
}

template <class Config, class V>
void Bhu(Config &c, V &v) {
  v.Begin("BHU");
  BhuPacket(c.bhu.login, "login", false, v);
  BhuPacket(c.bhu.heartBeat, "heartBeat", true, v);
  BhuPacket(c.bhu.UserData, "UserData", true, v);
  v.End();
}

template <class Config, class V>
void BhuHeader(Config &c, V &v) {
  v.Begin("BHU_HEADER");
  v.Int("funcSwitch_header", c.bhu.header.funcSwitch);
  v.Int("dataType_header", c.bhu.header.dataType);
  v.Text("data_header", c.bhu.header.data);
  v.End();
}

template <class Config, class V>
void NetInfo(Config &c, V &v) {
  v.Comment("# netInfo configuration");
  v.Begin("netInfo");
  v.Text("apn", c.netInfo.apn);
  v.Text("username", c.netInfo.username);
  v.Text("pwd", c.netInfo.pwd);
  v.End();
}

template <class Config, class V>
void Aliyun(Config &c, V &v) {
  auto &a = c.aliyun;
  v.Begin("ALIYUN_MQTT");
  v.Text("Server", a.Server);
  v.Int("Port", a.Port);
  v.Int("Keepalive", a.Keepalive);
  v.Text("InstanceID", a.InstanceID);
  v.Text("ProductKey", a.ProductKey);
  v.Text("ProductSecret", a.ProductSecret);
  v.Text("DeviceName", a.DeviceName);
  v.Text("DeviceSecret", a.DeviceSecret);
  v.Text("SubTopic", a.SubTopic);
  v.Text("PubTopic", a.PubTopic);
  v.End();
}

template <class Config, class V>
void Onenet(Config &c, V &v) {
  auto &o = c.onenet;
  v.Begin("ONENET_MQTT");
  v.Text("Server", o.Server);
  v.Int("Port", o.Port);
  v.Int("Keepalive", o.Keepalive);
  v.Text("DeviceName", o.DeviceName);
  v.Text("ProductID", o.ProductID);
  v.Text("DeviceKey", o.DeviceKey);
  v.Text("AccessKey", o.AccessKey);
  v.Text("SubTopic", o.SubTopic);
  v.Text("PubTopic", o.PubTopic);
  v.End();
}

template <class Config, class V>
void ModbusCache(Config &c, V &v) {
  v.Begin("MODBUS_CACHE");
  v.Int("funcSwitch", c.modbusCache.funcSwitch);
  v.Count("maxChannel", c.modbusCache.maxChannel, 1, DtuConfig::kCacheChannels);
  ModbusChannels(c.modbusCache.channel, DtuConfig::kCacheChannels, v);
  v.End();
}

template <class Channel, class V>
void Dlt645Meter(Channel &ch, int k, V &v) {
  const std::string n = std::to_string(k);
  v.Text("addr" + n, ch.addr);
  v.Int("preamble" + n, ch.preamble);
  v.Int("cycle" + n, ch.cycle);
  v.Count("diNum" + n, ch.diNum, 0, DtuConfig::kDlt645DiCodes);
  for (int j = 1; j <= DtuConfig::kDlt645DiCodes; ++j) {
    v.OptionalText("di" + n + "_" + std::to_string(j), ch.di[j - 1]);
  }
}

template <class Rule, class V>
void Dlt645Rule(Rule &rule, int c, V &v) {
  const std::string n = std::to_string(c);
  v.Int("rule" + n, rule.rule);
  v.Count("paramCnt" + n, rule.paramCnt, 0, DtuConfig::kDlt645Params);
  const int count = StoredCount(rule.paramCnt, DtuConfig::kDlt645Params);
  for (int p = 1; p <= count; ++p) {
    const std::string np = n + "_" + std::to_string(p);
    auto &param = rule.param[p - 1];
    v.Text("tag" + np, param.tag);
    v.Text("ruleDi" + np, param.di);
    v.Int("dataType" + np, param.dataType);
    v.Int("dataEndian" + np, param.dataEndian);
    v.Int("dataRule" + np, param.dataRule);
    v.Int("rate" + np, param.rate);
  }
}

template <class Config, class V>
void Dlt645(Config &c, V &v) {
  v.Begin("DLT645");
  v.Int("funcSwitch", c.dlt645.funcSwitch);
  v.Count("maxChannel", c.dlt645.maxChannel, 1, DtuConfig::kDlt645Channels);
  for (int k = 1; k <= DtuConfig::kDlt645Channels; ++k) Dlt645Meter(c.dlt645.channel[k - 1], k, v);
  for (int r = 1; r <= DtuConfig::kDlt645Rules; ++r) Dlt645Rule(c.dlt645.rule[r - 1], r, v);
  v.End();
}

// Every owned section, in the order SaveToFile writes them.
// The sections pages declared beside the record's, each key a text.
template <class Config, class V>
void Added(Config &c, V &v) {
  for (const DtuAddedSection &section : DtuConfigAddedSections()) {
    v.Begin(section.name);
    for (const std::string &key : section.keys) v.Text(key, c.AddedField(section.name, key));
    v.End();
  }
}

template <class Config, class V>
void All(Config &c, V &v) {
  Uart(c, v);
  Modbus(c, v);
  Decode(c, v);
  DeviceInfo(c, v);
  Channel(c, v);
  TcpUdp(c, v);
  Mqtt(c, v);
  Bhu(c, v);
  NetInfo(c, v);
  Aliyun(c, v);
  Onenet(c, v);
  ModbusCache(c, v);
  Dlt645(c, v);
  BhuHeader(c, v);
  Added(c, v);
}

}  // namespace dtu_config_layout
