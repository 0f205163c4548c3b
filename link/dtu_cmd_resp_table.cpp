// The 88-row answer table and the dispatcher that routes a cleaned answer to
// the handler of the first row whose prefix stands at a line start.
#include "link/dtu_cmd_resp_table.h"

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "base/dtu_log.h"
#include "link/dtu_cmd_answer_watch.h"

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

constexpr int kBandValueRow = 15;

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

// Page handlers are attached while pages are built and read on every answer.
std::array<std::atomic<DtuCmdRespHandler>, kDtuCmdRespTableRows> g_handlers{};

std::atomic<bool> g_remote_mode{false};

using ReceiveSink = std::function<void(const std::string &)>;
using RemoteSink = std::function<void(const char *, int)>;
std::mutex g_sink_mutex;
std::shared_ptr<const ReceiveSink> g_receive_sink;
std::shared_ptr<const RemoteSink> g_remote_sink;

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

bool HoldsErrorWord(const char *text) {
  return std::strstr(text, "ERROR") || std::strstr(text, "error") || std::strstr(text, "FAIL") ||
         std::strstr(text, "fail");
}

void CallRowHandler(int row, const char *value, int value_length) {
  DtuCmdRespHandler handler = g_handlers[row].load(std::memory_order_acquire);
  if (handler != nullptr) {
    handler(value, value_length);
  } else if (row != kBandValueRow) {
    DTU_LOG("no page handles \"%s\" yet, answer ignored.", Rows()[row].prefix);
  }
}

template <typename Sink>
std::shared_ptr<const Sink> LoadSink(const std::shared_ptr<const Sink> &slot) {
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  return slot;
}

void ProcessRemote(const char *data, int length) {
  auto sink = LoadSink(g_remote_sink);
  if (sink && *sink) {
    (*sink)(data, length);
  } else {
    DTU_LOG("remote mode without a remote link, %d bytes dropped.", length);
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

int MatchRow(const char *text, int length, int *position, bool *empty_value) {
  static thread_local std::vector<int> starts;
  CollectLineStarts(text, length, starts);
  const auto &rows = Rows();
  for (int r = 0; r < kDtuCmdRespTableRows; ++r) {
    for (int start : starts) {
      const bool full = length - start >= rows[r].length && EqualsIgnoreCase(text + start, rows[r].prefix, rows[r].length);
      if (full || MatchesEmptyValue(text, length, start, rows[r])) {
        *position = start;
        *empty_value = !full;
        return r;
      }
    }
  }
  return -1;
}

}  // namespace

const char *DtuCmdRespPrefix(int row) {
  if (row < 0 || row >= kDtuCmdRespTableRows) return "";
  return kPrefixes[row];
}

int DtuCmdAttachHandler(const char *key, DtuCmdRespHandler handler) {
  if (key == nullptr || handler == nullptr) return 0;
  int attached = 0;
  for (int r = 0; r < kDtuCmdRespTableRows; ++r) {
    if (RowKeyEquals(Rows()[r], key)) {
      g_handlers[r].store(handler, std::memory_order_release);
      ++attached;
    }
  }
  if (attached == 0) DTU_LOG("no answer row for key \"%s\".", key);
  return attached;
}

void DtuCmdDetachAllHandlers() {
  for (auto &h : g_handlers) h.store(nullptr, std::memory_order_release);
}

int DtuCmdMatchRow(const char *text, int length) {
  if (text == nullptr || length <= 0) return -1;
  int position = 0;
  bool empty_value = false;
  return MatchRow(text, length, &position, &empty_value);
}

void DtuCmdRecvProcess(const char *text, int length) {
  if (text == nullptr) length = 0;
  if (g_remote_mode.load(std::memory_order_acquire)) {
    if (length > 0) ProcessRemote(text, length);
    return;
  }
  if (length <= 0) {
    DtuCmdNotifyEmpty();
    return;
  }
  // Handlers read the value as a NUL-terminated text: keep a terminated copy
  // in case the caller's buffer is not.
  static thread_local std::string copy;
  copy.assign(text, static_cast<size_t>(length));
  const char *cleaned = copy.c_str();

  if (HoldsErrorWord(cleaned)) DtuCmdNotifyError(cleaned);

  int position = 0;
  bool empty_value = false;
  const int row = MatchRow(cleaned, length, &position, &empty_value);
  if (row >= 0 && empty_value) {
    CallRowHandler(row, "", 0);
  } else if (row >= 0) {
    const int prefix_length = Rows()[row].length;
    // A value of one byte or none would give a negative count: handlers get 0.
    const int value_length = length - position - prefix_length - 2;
    CallRowHandler(row, cleaned + position + prefix_length, value_length < 0 ? 0 : value_length);
  }
  auto sink = LoadSink(g_receive_sink);
  if (sink && *sink) (*sink)(std::string(cleaned, static_cast<size_t>(length)) + "\r\n");
  DtuCmdNotifyAnswer(cleaned, length);
}

void DtuCmdSetReceiveSink(std::function<void(const std::string &text)> sink) {
  auto holder = sink ? std::make_shared<const ReceiveSink>(std::move(sink)) : nullptr;
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  g_receive_sink = std::move(holder);
}

void DtuCmdSetRemoteMode(bool on) { g_remote_mode.store(on, std::memory_order_release); }

bool DtuCmdRemoteMode() { return g_remote_mode.load(std::memory_order_acquire); }

void DtuCmdSetRemoteSink(std::function<void(const char *data, int length)> sink) {
  auto holder = sink ? std::make_shared<const RemoteSink>(std::move(sink)) : nullptr;
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  g_remote_sink = std::move(holder);
}
