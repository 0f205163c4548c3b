// DtuConfig: the record of every locally stored setting and the file that
// holds it ("Zev_DtuConfig.txt" in the working directory).
//
// A page's "Save to Local" loads the whole file into a fresh record, changes
// its own group and saves the whole record; "Read Local" loads and copies its
// group out. The record is zero-filled when created. Text fields have fixed
// capacities (the constants below); anything longer is cut on assignment.
//
// The file is INI-like: "[SECTION]" headers and "key=value" lines. Sections
// and keys compare without regard to case; the first matching line wins.
// Sections the record does not own ([iotInfo], [platform], anything a user
// added) are carried over byte for byte by SaveToFile.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "config/dtu_config_notes.h"
#include "config/dtu_fixed_text.h"

class DtuIniIndex;

// File name the tool uses, relative to the working directory.
inline constexpr const char *kDtuConfigFileName = "Zev_DtuConfig.txt";

class DtuConfig {
 public:
  // ---- Counts ----
  static constexpr int kModbusChannels = 6;      // [MODBUS] channels, always written and read
  static constexpr int kDecodeRules = 6;         // [DECODE] rules, always written and read
  static constexpr int kDecodeParams = 6;        // parameters per DECODE rule at most
  static constexpr int kBhuItems = 10;           // items per BHU packet at most
  static constexpr int kCacheChannels = 6;       // Modbus cache proxy channels
  static constexpr int kDlt645Channels = 6;      // DL/T 645 meter channels
  static constexpr int kDlt645DiCodes = 8;       // DI codes per meter channel
  static constexpr int kDlt645Rules = 6;         // DL/T 645 forwarding rules (one per configure channel)
  static constexpr int kDlt645Params = 8;        // parameters per DL/T 645 rule

  // ---- Text capacities (bytes, without terminator) ----
  static constexpr std::size_t kDecodeTagMax = 31;
  static constexpr std::size_t kRemoteCfgServerMax = 63;
  static constexpr std::size_t kProductKeyMax = 31;       // TcpProductkey, UdpProductkey
  static constexpr std::size_t kProductSecretMax = 31;    // TcpProductsecret, UdpProductsecret
  static constexpr std::size_t kSocketServerMax = 127;    // TCPServer, UDPServer
  static constexpr std::size_t kMqttServerMax = 127;
  static constexpr std::size_t kMqttClientIdMax = 255;
  static constexpr std::size_t kMqttUsernameMax = 127;
  static constexpr std::size_t kMqttPasswordMax = 255;
  static constexpr std::size_t kMqttTopicMax = 63;        // SubTopic, PubTopic
  static constexpr std::size_t kBhuItemDataMax = 15;
  static constexpr std::size_t kBhuLoginDataMax = 256;
  static constexpr std::size_t kBhuHeartBeatDataMax = 256;
  static constexpr std::size_t kBhuUserDataMax = 1024;
  static constexpr std::size_t kBhuHeaderDataMax = 256;
  static constexpr std::size_t kApnMax = 32;
  static constexpr std::size_t kNetUsernameMax = 64;
  static constexpr std::size_t kNetPwdMax = 64;
  static constexpr std::size_t kAliyunServerMax = 127;
  static constexpr std::size_t kAliyunInstanceIdMax = 127;
  static constexpr std::size_t kAliyunProductKeyMax = 31;
  static constexpr std::size_t kAliyunProductSecretMax = 63;
  static constexpr std::size_t kAliyunDeviceNameMax = 127;
  static constexpr std::size_t kAliyunDeviceSecretMax = 63;
  static constexpr std::size_t kAliyunTopicMax = 255;
  static constexpr std::size_t kOnenetServerMax = 127;
  static constexpr std::size_t kOnenetDeviceNameMax = 127;
  static constexpr std::size_t kOnenetProductIdMax = 63;
  static constexpr std::size_t kOnenetDeviceKeyMax = 127;
  static constexpr std::size_t kOnenetAccessKeyMax = 63;
  static constexpr std::size_t kOnenetTopicMax = 255;
  static constexpr std::size_t kDlt645AddrMax = 12;
  static constexpr std::size_t kDlt645DiMax = 8;
  static constexpr std::size_t kDlt645TagMax = 31;

  // ---- [UART] (data port page) ----
  struct UartGroup {
    int Baudrate = 0;
    int Databit = 0;  // list index
    int Parity = 0;   // 0 None, 1 Odd, 3 Even
  };

  // ---- [MODBUS] (Modbus polling page) ----
  struct ModbusChannel {
    int slave = 0;
    int Function = 0;
    int Addr = 0;
    int Len = 0;
    int Cycle = 0;
  };
  struct ModbusGroup {
    int funcSwitch = 0;
    int maxChannel = 0;
    ModbusChannel channel[kModbusChannels];  // channel[0] is "slave1", "Function1", ...
  };

  // ---- [DECODE] (Modbus forwarding rules) ----
  struct DecodeParam {
    DtuFixedText<kDecodeTagMax> tag;
    int startOffset = 0;
    int dataType = 0;
    int dataEndian = 0;
    int dataRule = 0;
    int rate = 0;
  };
  struct DecodeRule {
    int rule = 0;
    int maxParamCnt = 0;  // parameters 1..maxParamCnt are stored; values outside 0..6 never index past param[]
    DecodeParam param[kDecodeParams];
  };
  struct DecodeGroup {
    DecodeRule rule[kDecodeRules];  // rule[0] is "rule1", "maxParamCnt1", "tag11", ...
  };

  // ---- [DEVICE_INFO] (device information page) ----
  struct DeviceInfoGroup {
    int remoteCfgFlag = 0;
    DtuFixedText<kRemoteCfgServerMax> remoteCfgServer;
    int remoteCfgPort = 0;
    int logLevel = 0;
  };

  // ---- [CHANNEL] (work mode page) ----
  struct ChannelGroup {
    int Channel = 0;
  };

  // ---- [TCP_UDP] (TCP/UDP page) ----
  struct TcpUdpGroup {
    int TCP_TYPE = 0;
    DtuFixedText<kProductKeyMax> TcpProductkey;
    DtuFixedText<kProductSecretMax> TcpProductsecret;
    DtuFixedText<kSocketServerMax> TCPServer;
    int TCPPort = 0;
    int UDP_TYPE = 0;
    DtuFixedText<kProductKeyMax> UdpProductkey;
    DtuFixedText<kProductSecretMax> UdpProductsecret;
    DtuFixedText<kSocketServerMax> UDPServer;
    int UDPPort = 0;
  };

  // ---- [MQTT] (MQTT page) ----
  struct MqttGroup {
    DtuFixedText<kMqttServerMax> Server;
    int Port = 0;
    DtuFixedText<kMqttClientIdMax> ClientId;
    int Keepalive = 0;
    DtuFixedText<kMqttUsernameMax> Username;
    DtuFixedText<kMqttPasswordMax> Password;
    DtuFixedText<kMqttTopicMax> SubTopic;
    DtuFixedText<kMqttTopicMax> PubTopic;
    int Qos = 0;
    int CleanSession = 0;
  };

  // ---- [ALIYUN_MQTT] (Aliyun MQTT page) ----
  struct AliyunGroup {
    DtuFixedText<kAliyunServerMax> Server;
    int Port = 0;
    int Keepalive = 0;
    DtuFixedText<kAliyunInstanceIdMax> InstanceID;
    DtuFixedText<kAliyunProductKeyMax> ProductKey;
    DtuFixedText<kAliyunProductSecretMax> ProductSecret;
    DtuFixedText<kAliyunDeviceNameMax> DeviceName;
    DtuFixedText<kAliyunDeviceSecretMax> DeviceSecret;
    DtuFixedText<kAliyunTopicMax> SubTopic;
    DtuFixedText<kAliyunTopicMax> PubTopic;
  };

  // ---- [ONENET_MQTT] (OneNET MQTT page) ----
  struct OnenetGroup {
    DtuFixedText<kOnenetServerMax> Server;
    int Port = 0;
    int Keepalive = 0;
    DtuFixedText<kOnenetDeviceNameMax> DeviceName;
    DtuFixedText<kOnenetProductIdMax> ProductID;
    DtuFixedText<kOnenetDeviceKeyMax> DeviceKey;
    DtuFixedText<kOnenetAccessKeyMax> AccessKey;
    DtuFixedText<kOnenetTopicMax> SubTopic;
    DtuFixedText<kOnenetTopicMax> PubTopic;
  };

  // ---- [BHU] (business packet page) ----
  struct BhuItem {
    int itemType = 0;
    DtuFixedText<kBhuItemDataMax> itemData;
  };
  // One packet; `cycle` is not stored for the login packet.
  template <std::size_t DataMax>
  struct BhuPacket {
    int funcSwitch = 0;
    int cycle = 0;
    int dataType = 0;
    int itemNum = 0;  // items 1..min(itemNum, 10) are stored; negative counts store none
    BhuItem item[kBhuItems];
    DtuFixedText<DataMax> data;
  };
  struct BhuGroup {
    BhuPacket<kBhuLoginDataMax> login;          // keys ..._login
    BhuPacket<kBhuHeartBeatDataMax> heartBeat;  // keys ..._heartBeat
    BhuPacket<kBhuUserDataMax> UserData;        // keys ..._UserData
    // The header signature, in a section of its own: text or hexadecimal
    // text, never made of fields, no period.
    struct {
      int funcSwitch = 0;
      int dataType = 0;
      DtuFixedText<kBhuHeaderDataMax> data;
    } header;                                   // [BHU_HEADER], keys ..._header
  };

  // ---- [netInfo] (network page) ----
  struct NetInfoGroup {
    DtuFixedText<kApnMax> apn;
    DtuFixedText<kNetUsernameMax> username;
    DtuFixedText<kNetPwdMax> pwd;
  };

  // ---- [MODBUS_CACHE] (Modbus cache proxy page) ----
  struct ModbusCacheChannel {
    int slave = 0;
    int Function = 0;  // function code 1..4
    int Addr = 0;      // start address
    int Len = 0;       // quantity
    int Cycle = 0;     // seconds
  };
  struct ModbusCacheGroup {
    int funcSwitch = 0;  // 1 = ON
    int maxChannel = 0;  // channel count
    ModbusCacheChannel channel[kCacheChannels];
  };

  // ---- [DLT645] (DL/T 645 meter page) ----
  struct Dlt645Channel {
    DtuFixedText<kDlt645AddrMax> addr;
    int preamble = 0;
    int cycle = 0;
    int diNum = 0;
    DtuFixedText<kDlt645DiMax> di[kDlt645DiCodes];
  };
  struct Dlt645Param {
    DtuFixedText<kDlt645TagMax> tag;
    DtuFixedText<kDlt645DiMax> di;
    int dataType = 0;
    int dataEndian = 0;
    int dataRule = 0;
    int rate = 0;
  };
  struct Dlt645Rule {
    int rule = 0;      // 0 Transparent, 1 Parse
    int paramCnt = 0;  // 0..8
    Dlt645Param param[kDlt645Params];  // rows 1..min(paramCnt, 8) are stored
  };
  struct Dlt645Group {
    int funcSwitch = 0;  // 1 = ON
    int maxChannel = 0;
    Dlt645Channel channel[kDlt645Channels];
    Dlt645Rule rule[kDlt645Rules];  // rule[c - 1] belongs to configure channel c
  };

  // ---- The record, in the order of the file's groups ----
  UartGroup uart;
  ModbusGroup modbus;
  ModbusCacheGroup modbusCache;
  DecodeGroup decode;
  DeviceInfoGroup deviceInfo;
  ChannelGroup channel;
  TcpUdpGroup tcpUdp;
  MqttGroup mqtt;
  AliyunGroup aliyun;
  OnenetGroup onenet;
  BhuGroup bhu;
  NetInfoGroup netInfo;
  Dlt645Group dlt645;
  // The sections pages declare beside these (config/dtu_config_added.h),
  // by "SECTION/key".
  using AddedText = DtuFixedText<256>;
  std::map<std::string, AddedText> added;

  // One value of an added section; the const one is empty for a key not set.
  AddedText &AddedField(const std::string &section, const std::string &key) { return added[section + "/" + key]; }
  const AddedText &AddedField(const std::string &section, const std::string &key) const;

  DtuConfig() = default;
  virtual ~DtuConfig() = default;

  // Writes the template when no file of that name exists; an existing file is
  // left untouched. False (with "Failed to create config file: %s") when the
  // file cannot be created.
  static bool CreateDefaultFile(const std::string &path);

  // Reads every owned section into the record. False (with "Failed to open
  // config file: %s") when the file cannot be opened or is a directory.
  bool LoadFromFile(const std::string &path);

  // Rewrites the file: the owned sections from the record, then every other
  // section of the existing file byte for byte. Written to a temporary file
  // that replaces the old one only when complete, so a failed save leaves the
  // old file whole. False (with "Failed to create config file: %s") on failure.
  bool SaveToFile(const std::string &path);

  // Looks `key` up in `section` by scanning `file` from its start; restores
  // the file position. First match wins; `out` is left alone when not found.
  static bool GetValue(FILE *file, const char *section, const char *key, std::string &out);

  // Direction of a section operation.
  enum Direction { kWrite = 0, kRead = 1 };

  // Section operations: each writes its section(s) to `file` (kWrite, at the
  // current position, CR LF line ends) or reads them from it (kRead, with the
  // GetValue rules). They return true.
  bool UartSection(FILE *file, Direction direction);
  bool ModbusSection(FILE *file, Direction direction);  // [MODBUS] and [DECODE]
  bool DeviceInfoSection(FILE *file, Direction direction);
  bool ChannelSection(FILE *file, Direction direction);
  bool TcpUdpSection(FILE *file, Direction direction);
  bool MqttSection(FILE *file, Direction direction);
  bool BhuSection(FILE *file, Direction direction);
  bool BhuHeaderSection(FILE *file, Direction direction);
  bool NetInfoSection(FILE *file, Direction direction);
  bool AliyunSection(FILE *file, Direction direction);
  bool OnenetSection(FILE *file, Direction direction);
  bool ModbusCacheSection(FILE *file, Direction direction);
  bool Dlt645Section(FILE *file, Direction direction);

  // Fills the record from an already parsed file (what LoadFromFile does
  // after reading it once). Returns "SECTION/key" of every text value left
  // out because it holds a control character.
  std::vector<std::string> ReadFrom(const DtuIniIndex &index);

  // The owned sections as SaveToFile writes them, each line ended by
  // `line_end` ("\r\n" on disk; "\n" for printing).
  std::string FormatOwnedSections(const char *line_end = "\r\n") const;

  // True when `section` (any case) is one the record owns.
  static bool IsOwnedSection(const std::string &section);

  // What the last LoadFromFile or ReadFrom found of each section's keys.
  const DtuConfigNotes &FileNotes() const { return file_notes_; }

 private:
  DtuConfigNotes file_notes_;
};
