#include "remote/dtu_cloud_cmd_driver.h"

#include <algorithm>
#include <cstring>

#include "base/dtu_log.h"
#include "link/serial_error.h"
#include "remote/dtu_remote_ids.h"

namespace {

constexpr int kDisconnectWaitMs = 500;

}  // namespace

DtuCloudCmdDriver::DtuCloudCmdDriver(DtuCloudTransportSettings settings) : settings_(std::move(settings)) {
  connection_.SetMessageHandler(
      [this](const std::string &topic, const char *payload, int length) { OnMessage(topic, payload, length); });
  connection_.SetLostHandler([this](const std::string &cause) { OnLost(cause); });
}

DtuCloudCmdDriver::~DtuCloudCmdDriver() { Close(); }

bool DtuCloudCmdDriver::Init(const std::string &port_name, int baud_rate, int parity, int data_bits,
                             int stop_bits, int flow_control, unsigned int read_buffer_size) {
  SetPortName(port_name);
  baud_ = baud_rate;
  parity_ = parity;
  data_bits_ = data_bits;
  stop_bits_ = stop_bits;
  flow_ = flow_control;
  read_buffer_size_ = read_buffer_size;
  return true;
}

void DtuCloudCmdDriver::SetPortName(const std::string &name) {
  std::lock_guard<std::mutex> guard(state_);
  port_name_ = name;
  const size_t colon = name.find(':');
  device_id_ = colon == std::string::npos ? std::string() : name.substr(colon + 1);
  const DtuRemoteTopics topics = DtuRemoteDeviceTopics(settings_.product_key, device_id_);
  update_topic_ = topics.subscribe;
  get_topic_ = topics.publish;
}

std::string DtuCloudCmdDriver::GetPortName() const {
  std::lock_guard<std::mutex> guard(state_);
  return port_name_;
}

bool DtuCloudCmdDriver::Fail(int code, const std::string &text) {
  {
    std::lock_guard<std::mutex> guard(state_);
    error_text_ = text;
  }
  SetLastError(code);
  DTU_LOG("%s", text.c_str());
  return false;
}

bool DtuCloudCmdDriver::Open() {
  std::string update_topic, device;
  {
    std::lock_guard<std::mutex> guard(state_);
    if (open_) return Fail(kSerialAlreadyOpen, DtuSerialErrorText(kSerialAlreadyOpen));
    update_topic = update_topic_;
    device = device_id_;
    received_.clear();
    lost_cause_.clear();
  }
  if (device.empty()) return Fail(kSerialNotExist, "no device given: name the port cloud:<IMEI>");
  DtuMqttConnectionOptions options;
  options.brokers = settings_.brokers;
  options.client_id = settings_.client_id.empty() ? DtuInstanceClientId(DtuRemoteClientId()) : settings_.client_id;
  options.username = settings_.product_key;
  options.password = settings_.product_secret;
  options.clean_session = true;
  options.connect_timeout_s = settings_.connect_timeout_s;
  std::string error;
  if (!connection_.Connect(options, error)) return Fail(kSerialOpenFailed, error);
  const int granted = connection_.Subscribe(update_topic, settings_.qos);
  if (granted != 0) {
    connection_.Disconnect(0);
    return Fail(kSerialAccessDenied, "the broker refused the subscription to " + update_topic + " (" +
                                         std::to_string(granted) + ")");
  }
  {
    std::lock_guard<std::mutex> guard(state_);
    open_ = true;
    error_text_.clear();
  }
  SetLastError(kSerialSuccess);
  return true;
}

void DtuCloudCmdDriver::Close() {
  {
    std::lock_guard<std::mutex> guard(state_);
    if (!open_) return;
    open_ = false;
  }
  connection_.Disconnect(kDisconnectWaitMs);
  std::lock_guard<std::mutex> guard(state_);
  received_.clear();
}

bool DtuCloudCmdDriver::IsOpen() const {
  std::lock_guard<std::mutex> guard(state_);
  return open_;
}

unsigned int DtuCloudCmdDriver::GetPendingBytes() {
  std::lock_guard<std::mutex> guard(state_);
  return static_cast<unsigned int>(received_.size());
}

int DtuCloudCmdDriver::Read(char *buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  std::lock_guard<std::mutex> guard(state_);
  const size_t count = std::min(received_.size(), static_cast<size_t>(size));
  std::memcpy(buffer, received_.data(), count);
  received_.erase(0, count);
  return static_cast<int>(count);
}

int DtuCloudCmdDriver::ReadAll(char *buffer) { return Read(buffer, static_cast<int>(GetPendingBytes())); }

int DtuCloudCmdDriver::ReadLine(char *buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  std::lock_guard<std::mutex> guard(state_);
  const size_t end = received_.find('\n');
  if (end == std::string::npos) return 0;
  const size_t count = std::min(end + 1, static_cast<size_t>(size));
  std::memcpy(buffer, received_.data(), count);
  received_.erase(0, count);
  return static_cast<int>(count);
}

int DtuCloudCmdDriver::Write(const char *data, int size) {
  if (data == nullptr || size <= 0) return 0;
  std::string topic;
  {
    std::lock_guard<std::mutex> guard(state_);
    if (!open_) {
      SetLastError(kSerialNotOpen);
      return -1;
    }
    topic = get_topic_;
  }
  const int result = connection_.Publish(topic, data, size, settings_.qos);
  if (result != 0) {
    DTU_LOG("publish to %s failed: %d.", topic.c_str(), result);
    SetLastError(kSerialWriteFailed);
    return -1;
  }
  return size;
}

bool DtuCloudCmdDriver::FlushRx() {
  std::lock_guard<std::mutex> guard(state_);
  received_.clear();
  return true;
}

const char *DtuCloudCmdDriver::GetLastErrorText() const {
  std::lock_guard<std::mutex> guard(state_);
  return error_text_.empty() ? CSerialPortBase::GetLastErrorText() : error_text_.c_str();
}

std::string DtuCloudCmdDriver::DescribeLoss(int error_code) const {
  std::lock_guard<std::mutex> guard(state_);
  if (lost_cause_.empty()) return CSerialPortBase::DescribeLoss(error_code);
  return "the broker dropped the connection (" + lost_cause_ + ")";
}

// Library thread: one message is one burst of the device's answer.
void DtuCloudCmdDriver::OnMessage(const std::string &topic, const char *payload, int length) {
  std::string name;
  unsigned int waiting;
  {
    std::lock_guard<std::mutex> guard(state_);
    if (!open_ || topic != update_topic_ || length <= 0) return;
    received_.append(payload, static_cast<size_t>(length));
    waiting = static_cast<unsigned int>(received_.size());
    name = port_name_;
  }
  NotifyListener(name.c_str(), waiting);
}

void DtuCloudCmdDriver::OnLost(const std::string &cause) {
  {
    std::lock_guard<std::mutex> guard(state_);
    if (!open_) return;
    lost_cause_ = cause;
  }
  DTU_LOG("the broker dropped the connection: %s.", cause.c_str());
  SetLastError(kSerialReadFailed);
  NotifyPortLost(kSerialReadFailed);
}
