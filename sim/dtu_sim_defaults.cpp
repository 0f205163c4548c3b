// Factory settings of the simulated device: plausible values for every key
// the tool reads.
#include "sim/dtu_sim_defaults.h"

const std::vector<std::pair<const char *, const char *>> &DtuSimPlainDefaults() {
  static const std::vector<std::pair<const char *, const char *>> defaults = {
      {"version", "VN-DTU-V1.0.3"}, {"imei", "862104051234567"}, {"imsi", "460041234567890"},
      {"iccid", "89860412345678901234"}, {"remoteCfgInfo", "100001883cfg.example.com"},
      {"logLevel", "2"}, {"watchdog-switch", "1"}, {"bandValue", "3"},
      {"uart-baudrate", "115200"}, {"uart-databit", "3"}, {"uart-parity", "0"},
      {"netInfo", "apn:auto&username: &pwd: &"}, {"mqtt-channel", "0"},
      {"tcp-type", "0"}, {"tcp-productkey", ""}, {"tcp-productsecret", ""},
      {"tcp-addr", "127.0.0.1"}, {"tcp-port", "8080"},
      {"udp-type", "0"}, {"udp-productkey", ""}, {"udp-productsecret", ""},
      {"udp-addr", "127.0.0.1"}, {"udp-port", "8081"},
      {"mqtt-addr", "127.0.0.1"}, {"mqtt-port", "1883"}, {"mqtt-keepalive", "60"},
      {"mqtt-clientId", "dtu-862104051234567"}, {"mqtt-username", "dtu"}, {"mqtt-password", "secret"},
      {"mqtt-pubtopic", "dtu/up"}, {"mqtt-subtopic", "dtu/down"}, {"mqtt-qos", "0"},
      {"mqtt-cleansession", "1"},
      {"aly-mqtt-addr", "127.0.0.1"}, {"aly-mqtt-port", "1883"}, {"aly-mqtt-keepalive", "60"},
      {"aly-mqtt-instanceID", "iot-sim-01"}, {"aly-mqtt-productkey", "a1SimProduct"},
      {"aly-mqtt-productsecret", "simproductsecret"}, {"aly-mqtt-devicename", "dtu01"},
      {"aly-mqtt-devicesecret", "simdevicesecret"}, {"aly-mqtt-subtopic", "/a1SimProduct/dtu01/user/get"},
      {"aly-mqtt-pubtopic", "/a1SimProduct/dtu01/user/update"},
      {"onenet-mqtt-addr", "127.0.0.1"}, {"onenet-mqtt-port", "1883"}, {"onenet-mqtt-keepalive", "120"},
      {"onenet-mqtt-clientId", "dtu01"}, {"onenet-mqtt-username", "123456"},
      {"onenet-mqtt-devicekey", "simdevicekey"}, {"onenet-mqtt-accesskey", "simaccesskey"},
      {"onenet-mqtt-subtopic", "dtu01/down"}, {"onenet-mqtt-pubtopic", "dtu01/up"},
      {"modbus-switch", "0"}, {"modbus-channel", "1"},
      {"modbus-cache-switch", "0"}, {"modbus-cache-channel", "1"},
      {"dlt645-switch", "0"}, {"dlt645-channel", "1"},
      {"bhu-login", "000000"}, {"bhu-heart", "00000000600000"}, {"bhu-data", "00000000600000"},
      {"bhu-header", "0"}, {"bhu-hex-login-cfg", "00000000"}, {"bhu-hex-heart-cfg", "00000000"},
      {"bhu-hex-data-cfg", "00000000"},
  };
  return defaults;
}

const std::vector<const char *> &DtuSimReadOnlyKeys() {
  static const std::vector<const char *> keys = {"version", "imei", "imsi", "iccid", "bandValue"};
  return keys;
}

const std::vector<const char *> &DtuSimChannelKeys() {
  static const std::vector<const char *> keys = {
      "modbus-slave-cfg", "modbus-slave-rule", "modbus-cache-slave-cfg",
      "dlt645-meter-cfg", "dlt645-meter-rule", "dlt645-meter-rule-item"};
  return keys;
}

// Channel payloads a fresh device reports, by key and index.
std::string DtuSimChannelDefault(const std::string &key, int channel, int item) {
  char text[128];
  if (key == "modbus-slave-cfg") {
    std::snprintf(text, sizeof(text), "00%02d%04d000300000000001005", channel, channel);
  } else if (key == "modbus-slave-rule") {
    std::snprintf(text, sizeof(text), "00%02d0000", channel);
  } else if (key == "modbus-cache-slave-cfg") {
    std::snprintf(text, sizeof(text), "%02d%04d03%08d00100005", channel, channel, (channel - 1) * 100);
  } else if (key == "dlt645-meter-cfg") {
    std::snprintf(text, sizeof(text), "ch:%d/addr:00001234567%d/preamble:4/cycle:60/diNum:1/di1:00010000;",
                  channel, channel);
  } else if (key == "dlt645-meter-rule") {
    std::snprintf(text, sizeof(text), "ch:%d/rule:0/paramCnt:0", channel);
  } else if (key == "dlt645-meter-rule-item") {
    std::snprintf(text, sizeof(text), "ch:%d/paramId:%d/tag:/di:/dataType:0/dataEndian:0/dataRule:0/rate:1",
                  channel, item);
  } else {
    return std::string();
  }
  return text;
}
