#include "sim/platform_fleet_device.h"

#include <unistd.h>

#include <cstdio>

#include "remote/dtu_remote_ids.h"
#include "sim/dtu_sim_line.h"

const char kPlatformFleetWrongServer[] = "stale.fleet.example";

namespace {

constexpr int kDropAtSetLine = 3;  // drop-connection: leaves at this set line
constexpr auto kAwayAfterDrop = std::chrono::milliseconds(1500);
constexpr int kAnswerQos = 1;
// The lines come in at QoS 0: a PUBACK of the device's own for each would
// hold its answer back for 40 ms (Nagle's algorithm against the broker's
// delayed acknowledgement; the library sets no TCP_NODELAY). The tool
// publishes them at QoS 1, so its leg to the broker is acknowledged.
constexpr int kLineQos = 0;

// Settings of its own, so that no two devices of the fleet start alike.
void GiveOwnSettings(DtuSimStore &store, const std::string &imei, int index) {
  store.SetValue("imei", imei);
  store.SetValue("mqtt-clientId", "dtu-" + imei);
  store.SetValue("tcp-port", std::to_string(9000 + index % 1000));
  store.SetValue("aly-mqtt-devicename", "dtu" + std::to_string(index + 1));
  store.SetValue("onenet-mqtt-clientId", "dtu" + std::to_string(index + 1));
}

}  // namespace

std::string PlatformFleetFaultText(const PlatformFleetFaultSpec &fault) {
  switch (fault.kind) {
    case PlatformFleetFault::kNone: return "none";
    case PlatformFleetFault::kSilent: return "silent";
    case PlatformFleetFault::kErrorKey: return "error-key " + fault.key;
    case PlatformFleetFault::kWrongReadback: return "wrong-readback";
    case PlatformFleetFault::kDropConnection: return "drop-connection";
  }
  return "none";
}

PlatformFleetDevice::PlatformFleetDevice(const PlatformFleetDeviceConfig &config, Post post, Post connect)
    : imei_(config.imei),
      get_topic_(DtuRemoteDeviceTopics(config.product_key, config.imei).publish),
      update_topic_(DtuRemoteDeviceTopics(config.product_key, config.imei).subscribe),
      username_(config.product_key),
      password_(config.product_secret),
      client_id_("sim-" + config.imei + "-" + std::to_string(getpid())),
      post_(std::move(post)),
      connect_(std::move(connect)) {
  SetFault(config.fault);
  GiveOwnSettings(device_.Store(), imei_, config.index);
  connection_.SetMessageHandler(
      [this](const std::string &topic, const char *payload, int length) { OnMessage(topic, payload, length); });
  connection_.SetLostHandler([this](const std::string &cause) { OnLost(cause); });
}

PlatformFleetDevice::~PlatformFleetDevice() { Stop(); }

PlatformFleetFaultSpec PlatformFleetDevice::Fault() const {
  std::lock_guard<std::mutex> guard(fault_lock_);
  return fault_;
}

void PlatformFleetDevice::SetFault(const PlatformFleetFaultSpec &fault) {
  DtuSimOptions options;
  if (fault.kind == PlatformFleetFault::kErrorKey) options.error_keys.insert(DtuSimLower(fault.key));
  if (fault.kind == PlatformFleetFault::kWrongReadback) options.bad_values["mqtt-addr"] = kPlatformFleetWrongServer;
  std::lock_guard<std::mutex> guard(fault_lock_);
  fault_ = fault;
  options_ = options;
}

bool PlatformFleetDevice::Start(const std::vector<DtuMqttBroker> &brokers, std::string &error) {
  brokers_ = brokers;
  {
    std::lock_guard<std::mutex> guard(link_lock_);
    stopping_ = false;
  }
  return Connect(error);
}

void PlatformFleetDevice::Stop() {
  {
    std::lock_guard<std::mutex> guard(link_lock_);
    stopping_ = true;
  }
  // Work still posted finds the device stopping; the fleet stops its
  // workers before it lets the devices go.
  connection_.Disconnect(0);
}

bool PlatformFleetDevice::Connect(std::string &error) {
  DtuMqttConnectionOptions options;
  options.brokers = brokers_;
  // A fresh id for every connection: the broker keeps the subscription of
  // a session under its client id, and a session left on a node that died
  // may still be on record when the device comes back on another node; a
  // subscription made under that old id would feed a queue nobody reads.
  options.client_id = client_id_ + "-" + std::to_string(++connections_);
  options.username = username_;
  options.password = password_;
  options.clean_session = true;
  options.connect_timeout_s = 5;
  if (!connection_.Connect(options, error)) return false;
  if (connection_.Subscribe(get_topic_, kLineQos) != 0) {
    error = "cannot subscribe to " + get_topic_;
    connection_.Disconnect(0);
    return false;
  }
  return true;
}

void PlatformFleetDevice::Run(std::function<void()> work) {
  bool post = false;
  {
    std::lock_guard<std::mutex> guard(work_lock_);
    work_.push_back(std::move(work));
    post = !scheduled_;
    scheduled_ = true;
  }
  if (post) post_([this] { Drain(); });
}

void PlatformFleetDevice::Drain() {
  for (;;) {
    std::vector<std::function<void()>> batch;
    {
      std::lock_guard<std::mutex> guard(work_lock_);
      if (work_.empty()) {
        scheduled_ = false;
        return;
      }
      batch.swap(work_);
    }
    for (auto &work : batch) work();
  }
}

// The library's thread: copy and hand over.
void PlatformFleetDevice::OnMessage(const std::string &topic, const char *payload, int length) {
  if (topic != get_topic_ || length <= 0) return;
  std::string bytes(payload, static_cast<size_t>(length));
  Run([this, bytes] { Take(bytes); });
}

void PlatformFleetDevice::OnLost(const std::string &cause) {
  std::lock_guard<std::mutex> guard(link_lock_);
  if (stopping_ || reconnect_due_) return;
  const int delay = backoff_.NextDelayMs();
  std::fprintf(stderr, "platform-sim: device %s lost the broker (%s); reconnecting in %d s\n", imei_.c_str(),
               cause.c_str(), delay / 1000);
  reconnect_due_ = true;
  back_at_ = Clock::now() + std::chrono::milliseconds(delay);
}

void PlatformFleetDevice::KeepUp() {
  {
    std::lock_guard<std::mutex> guard(link_lock_);
    if (stopping_ || !reconnect_due_ || Clock::now() < back_at_) return;
    // Not due again until this attempt has run.
    back_at_ = Clock::time_point::max();
  }
  connect_([this] { Reconnect(); });
}

void PlatformFleetDevice::Reconnect() {
  {
    std::lock_guard<std::mutex> guard(link_lock_);
    if (stopping_) return;
  }
  std::string error;
  const bool up = Connect(error);
  std::lock_guard<std::mutex> guard(link_lock_);
  if (up) {
    reconnect_due_ = false;
    backoff_.Reset();
    ++reconnects_;
    std::fprintf(stderr, "platform-sim: device %s is back on the broker (%s)\n", imei_.c_str(),
                 connection_.ServerUri().c_str());
    return;
  }
  const int delay = backoff_.NextDelayMs();
  back_at_ = Clock::now() + std::chrono::milliseconds(delay);
  std::fprintf(stderr, "platform-sim: device %s: %s; next try in %d s\n", imei_.c_str(), error.c_str(),
               delay / 1000);
}

void PlatformFleetDevice::Leave(std::chrono::milliseconds away) {
  connection_.Disconnect(0);
  std::lock_guard<std::mutex> guard(link_lock_);
  reconnect_due_ = true;
  back_at_ = Clock::now() + away;
}

void PlatformFleetDevice::Take(const std::string &bytes) {
  for (char c : bytes) {
    if (c != '\0') pending_.push_back(c);  // pages send the C string's NUL too
  }
  size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    const std::string line = pending_.substr(0, end + 1);
    pending_.erase(0, end + 1);
    HandleLine(line);
  }
}

void PlatformFleetDevice::HandleLine(const std::string &line) {
  const int number = ++lines_;
  PlatformFleetFaultSpec fault;
  DtuSimOptions options;
  {
    std::lock_guard<std::mutex> guard(fault_lock_);
    fault = fault_;
    options = options_;
  }
  if (fault.kind == PlatformFleetFault::kSilent) return;
  if (fault.kind == PlatformFleetFault::kDropConnection && !dropped_ &&
      DtuSimParseLine(line).kind == DtuSimCommand::kSet && ++sets_seen_ == kDropAtSetLine) {
    dropped_ = true;
    std::fprintf(stderr, "platform-sim: device %s drops its connection (fault)\n", imei_.c_str());
    Leave(kAwayAfterDrop);
    return;
  }
  const std::string answer = device_.Answer(line, number, options);
  if (answer.empty()) return;
  const int result = connection_.Publish(update_topic_, answer.data(), static_cast<int>(answer.size()), kAnswerQos);
  if (result != 0) {
    std::fprintf(stderr, "platform-sim: device %s could not answer (%d)\n", imei_.c_str(), result);
  }
}
