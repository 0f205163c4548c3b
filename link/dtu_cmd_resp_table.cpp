// The 88-row answer table and the search for the first row whose prefix
// stands at a line start. The dispatch state that calls the rows' handlers is
// link/dtu_cmd_dispatch_state.cpp.
#include "link/dtu_cmd_resp_table.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

// Row order is significant: the first row that matches wins. Rows 83-85
// repeat rows 80-82 and therefore never match on their own.
const char *const kPrefixes[kDtuCmdRespTableRows] = {
    "uart-baudrate : ", "uart-databit : ", "uart-parity : ", "modbus-switch : ",
    "modbus-channel : ", "modbus-slave-cfg : ", "modbus-slave-rule : ",
    "modbus-cache-switch : ", "modbus-cache-channel : ", "modbus-cache-slave-cfg : ",
    "version : ", "imei : ", "imsi : ", "iccid : ", "netInfo : ", "bandValue : ",
    "remoteCfgInfo : ", "logLevel : ", "watchdog-switch : ", "mqtt-channel : ",
    "tcp-type : ", "tcp-productkey : ", "tcp-productsecret : ", "tcp-addr : ",
    "tcp-port : ", "udp-type : ", "udp-productkey : ", "udp-productsecret : ",
    "udp-addr : ", "udp-port : ", "mqtt-addr : ", "mqtt-port : ", "mqtt-keepalive : ",
    "mqtt-clientId : ", "mqtt-username : ", "mqtt-password : ", "mqtt-pubtopic : ",
    "mqtt-subtopic : ", "mqtt-qos : ", "mqtt-cleansession : ", "aly-mqtt-addr : ",
    "aly-mqtt-port : ", "aly-mqtt-keepalive : ", "aly-mqtt-instanceID : ",
    "aly-mqtt-instanceId : ", "aly-mqtt-instanceid : ", "aly-mqtt-productkey : ",
    "aly-mqtt-productKey : ", "aly-mqtt-productsecret : ", "aly-mqtt-productSecret : ",
    "aly-mqtt-devicename : ", "aly-mqtt-deviceName : ", "aly-mqtt-devicesecret : ",
    "aly-mqtt-deviceSecret : ", "aly-mqtt-subtopic : ", "aly-mqtt-pubtopic : ",
    "onenet-mqtt-addr : ", "onenet-mqtt-port : ", "onenet-mqtt-keepalive : ",
    "onenet-mqtt-subtopic : ", "onenet-mqtt-pubtopic : ", "onenet-mqtt-clientId : ",
    "onenet-mqtt-clientID : ", "onenet-mqtt-clientid : ", "onenet-mqtt-deviceName : ",
    "onenet-mqtt-devicename : ", "onenet-mqtt-username : ", "onenet-mqtt-productId : ",
    "onenet-mqtt-productid : ", "onenet-mqtt-devicekey : ", "onenet-mqtt-deviceKey : ",
    "onenet-mqtt-accesskey : ", "onenet-mqtt-accessKey : ", "bhu-login : ",
    "bhu-heart : ", "bhu-data : ", "bhu-header : ", "bhu-hex-login-cfg : ",
    "bhu-hex-heart-cfg : ", "bhu-hex-data-cfg : ", "dlt645-switch : ",
    "dlt645-channel : ", "dlt645-meter-cfg : ", "dlt645-switch : ", "dlt645-channel : ",
    "dlt645-meter-cfg : ", "dlt645-meter-rule : ", "dlt645-meter-rule-item : ",
};

struct Row {
  const char *prefix;
  int length;
};

const std::array<Row, kDtuCmdRespTableRows> &Rows() {
  static const std::array<Row, kDtuCmdRespTableRows> rows = [] {
    std::array<Row, kDtuCmdRespTableRows> r{};
    for (int i = 0; i < kDtuCmdRespTableRows; ++i) {
      r[i] = Row{kPrefixes[i], static_cast<int>(std::strlen(kPrefixes[i]))};
    }
    return r;
  }();
  return rows;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreCase(const char *a, const char *b, int length) {
  for (int i = 0; i < length; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The key of a row: its prefix without the closing " : ".
bool RowKeyEquals(const Row &row, const char *key) {
  const int key_length = row.length - 3;
  return static_cast<int>(std::strlen(key)) == key_length &&
         EqualsIgnoreCase(row.prefix, key, key_length);
}

// Offsets of the text's first byte and of every byte that follows CR or LF.
void CollectLineStarts(const char *text, int length, std::vector<int> &starts) {
  starts.clear();
  starts.push_back(0);
  for (int i = 0; i + 1 < length; ++i) {
    if (text[i] == '\r' || text[i] == '\n') starts.push_back(i + 1);
  }
}

// "key :" standing at the end of its line: the device answered an empty
// value, and cleaning dropped the blank after the colon (or the line ended
// there). The prefix without its final blank must be followed by the end of
// the text, CR or LF.
bool MatchesEmptyValue(const char *text, int length, int start, const Row &row) {
  const int bare = row.length - 1;
  if (length - start < bare || !EqualsIgnoreCase(text + start, row.prefix, bare)) return false;
  const int after = start + bare;
  return after == length || text[after] == '\r' || text[after] == '\n';
}

}  // namespace

const char *DtuCmdRespPrefix(int row) {
  if (row < 0 || row >= kDtuCmdRespTableRows) return "";
  return kPrefixes[row];
}


int DtuCmdRespPrefixLength(int row) {
  if (row < 0 || row >= kDtuCmdRespTableRows) return 0;
  return Rows()[row].length;
}

bool DtuCmdRespRowHasKey(int row, const char *key) {
  if (row < 0 || row >= kDtuCmdRespTableRows || key == nullptr) return false;
  return RowKeyEquals(Rows()[row], key);
}

DtuCmdRespMatch DtuCmdMatchAnswer(const char *text, int length) {
  DtuCmdRespMatch match;
  if (text == nullptr || length <= 0) return match;
  static thread_local std::vector<int> starts;
  CollectLineStarts(text, length, starts);
  const auto &rows = Rows();
  for (int r = 0; r < kDtuCmdRespTableRows; ++r) {
    for (int start : starts) {
      const bool full = length - start >= rows[r].length && EqualsIgnoreCase(text + start, rows[r].prefix, rows[r].length);
      if (full || MatchesEmptyValue(text, length, start, rows[r])) {
        match.row = r;
        match.position = start;
        match.empty_value = !full;
        return match;
      }
    }
  }
  return match;
}

int DtuCmdMatchRow(const char *text, int length) { return DtuCmdMatchAnswer(text, length).row; }
