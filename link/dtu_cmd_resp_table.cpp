// The answer table (88 fixed rows, then the keys pages add) and the search
// for the first row whose prefix stands at a line start. The dispatch state
// that calls the rows' handlers is link/dtu_cmd_dispatch_state.cpp.
#include "link/dtu_cmd_resp_table.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
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

// The rows up to the count are set and never change again: a row is filled
// before the count that shows it is published.
struct Table {
  std::array<Row, kDtuCmdRespTableCapacity> rows{};
  std::array<std::string, kDtuCmdRespTableCapacity - kDtuCmdRespTableRows> added_prefixes;
  std::atomic<int> count{kDtuCmdRespTableRows};
  std::mutex adding;
};

Table &TheTable() {
  static Table *const table = [] {
    auto *t = new Table;
    for (int i = 0; i < kDtuCmdRespTableRows; ++i) {
      t->rows[i] = Row{kPrefixes[i], static_cast<int>(std::strlen(kPrefixes[i]))};
    }
    return t;
  }();
  return *table;
}

const std::array<Row, kDtuCmdRespTableCapacity> &Rows() { return TheTable().rows; }

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

int DtuCmdRespRowCount() { return TheTable().count.load(std::memory_order_acquire); }

int DtuCmdAddAnswerKey(const char *key) {
  if (key == nullptr || *key == '\0') return -1;
  Table &table = TheTable();
  std::lock_guard<std::mutex> lock(table.adding);
  const int count = table.count.load(std::memory_order_relaxed);
  for (int r = 0; r < count; ++r) {
    if (RowKeyEquals(table.rows[r], key)) return r;
  }
  if (count == kDtuCmdRespTableCapacity) return -1;
  std::string &prefix = table.added_prefixes[count - kDtuCmdRespTableRows];
  prefix = std::string(key) + " : ";
  table.rows[count] = Row{prefix.c_str(), static_cast<int>(prefix.size())};
  table.count.store(count + 1, std::memory_order_release);
  return count;
}

const char *DtuCmdRespPrefix(int row) {
  if (row < 0 || row >= DtuCmdRespRowCount()) return "";
  return Rows()[row].prefix;
}


int DtuCmdRespPrefixLength(int row) {
  if (row < 0 || row >= DtuCmdRespRowCount()) return 0;
  return Rows()[row].length;
}

bool DtuCmdRespRowHasKey(int row, const char *key) {
  if (row < 0 || row >= DtuCmdRespRowCount() || key == nullptr) return false;
  return RowKeyEquals(Rows()[row], key);
}

DtuCmdRespMatch DtuCmdMatchAnswer(const char *text, int length) {
  DtuCmdRespMatch match;
  if (text == nullptr || length <= 0) return match;
  static thread_local std::vector<int> starts;
  CollectLineStarts(text, length, starts);
  const auto &rows = Rows();
  const int count = DtuCmdRespRowCount();
  for (int r = 0; r < count; ++r) {
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
