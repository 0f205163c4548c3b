#include "remote/dtu_remote_bridge.h"

#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "remote/tam_mqtt_client.h"

namespace {

constexpr int kTrafficLineSize = 128;  // traffic lines are cut to 127 characters

int WriteToOpenCommandPort(const char *data, int length) {
  DtuCmdPort *port = DtuCmdPort::OpenInstance();
  if (port == nullptr) return -1;
  return port->WriteRaw(data, length);
}

}  // namespace

// The MQTT client takes plain functions for its receiver and its loss
// report: they go to the bridge that last connected the link, while it lives.
struct DtuRemoteBridgeLinkRoute {
  static std::mutex &Lock() {
    static std::mutex lock;
    return lock;
  }
  static std::weak_ptr<DtuRemoteBridge> &Linked() {
    static std::weak_ptr<DtuRemoteBridge> linked;
    return linked;
  }
  static void Link(const std::shared_ptr<DtuRemoteBridge> &bridge) {
    std::lock_guard<std::mutex> guard(Lock());
    Linked() = bridge;
  }
  static std::shared_ptr<DtuRemoteBridge> Current() {
    std::lock_guard<std::mutex> guard(Lock());
    return Linked().lock();
  }
  static void OnMessage(const char *, const void *payload, int length) {
    if (std::shared_ptr<DtuRemoteBridge> bridge = Current()) bridge->FromCloud(payload, length);
  }
  static void OnLost(const char *cause) {
    if (std::shared_ptr<DtuRemoteBridge> bridge = Current()) bridge->OnLinkLost(cause);
  }
};

int DtuRemoteBridge::Connect(const DtuRemoteLinkSettings &settings) {
  const std::string client_id = settings.client_id.empty() ? DtuInstanceClientId(DtuRemoteClientId()) : settings.client_id;
  const DtuRemoteTopics topics = DtuRemoteDeviceTopics(settings.product_key, settings.device_id);
  DTU_LOG("mac : %s.", client_id.c_str());
  tam_mqtt_client_params params{};
  params.host = settings.host.c_str();
  params.port = settings.port;
  params.client_id = client_id.c_str();
  params.username = settings.product_key.c_str();
  params.password = settings.product_secret.c_str();
  params.sub_topic = topics.subscribe.c_str();
  params.pub_topic = topics.publish.c_str();
  params.on_message = &DtuRemoteBridgeLinkRoute::OnMessage;
  DtuRemoteBridgeLinkRoute::Link(shared_from_this());
  tam_mqtt_client_set_lost_handler(&DtuRemoteBridgeLinkRoute::OnLost);
  const bool was_connected = Connected();
  int result = tam_mqtt_client_init(&params);
  if (result == 0 && !was_connected) LinkStateChanged();
  return result;
}

void DtuRemoteBridge::Disconnect() {
  if (!tam_mqtt_client_connected()) return;
  tam_mqtt_client_close();
  LinkStateChanged();
}

bool DtuRemoteBridge::Connected() { return tam_mqtt_client_connected() != 0; }

void DtuRemoteBridge::SetTrafficLog(TrafficLog log) {
  // Waits for a call of the old hook on another thread to end: once this
  // returns, the old hook's captures may go.
  std::lock_guard<std::recursive_mutex> calling(calls_);
  std::lock_guard<std::mutex> guard(lock_);
  traffic_log_ = std::move(log);
}

void DtuRemoteBridge::SetLinkLostHandler(LinkLost handler) {
  // Waits for a call of the old hook on another thread to end: once this
  // returns, the old hook's captures may go.
  std::lock_guard<std::recursive_mutex> calling(calls_);
  std::lock_guard<std::mutex> guard(lock_);
  link_lost_ = std::move(handler);
}

void DtuRemoteBridge::SetLocalWriter(LocalWriter writer) {
  // Waits for a call of the old hook on another thread to end: once this
  // returns, the old hook's captures may go.
  std::lock_guard<std::recursive_mutex> calling(calls_);
  std::lock_guard<std::mutex> guard(lock_);
  local_writer_ = std::move(writer);
}

void DtuRemoteBridge::LinkStateChanged() {
  std::lock_guard<std::mutex> guard(lock_);
  dropped_chunks_ = 0;
}

// Returns how many chunks were dropped so far, this one included.
int DtuRemoteBridge::CountDroppedChunk() {
  std::lock_guard<std::mutex> guard(lock_);
  return ++dropped_chunks_;
}

void DtuRemoteBridge::OnLinkLost(const char *cause) {
  LinkStateChanged();
  std::lock_guard<std::recursive_mutex> calling(calls_);
  LinkLost handler;
  {
    std::lock_guard<std::mutex> guard(lock_);
    handler = link_lost_;
  }
  if (handler) handler(cause);
}

template <typename... Counts>
void DtuRemoteBridge::Traffic(const char *format, Counts... counts) {
  std::lock_guard<std::recursive_mutex> calling(calls_);
  TrafficLog log;
  {
    std::lock_guard<std::mutex> guard(lock_);
    log = traffic_log_;
  }
  if (!log) return;
  char line[kTrafficLineSize];
  snprintf(line, sizeof line, format, counts...);
  log(line);
}

void DtuRemoteBridge::FromLocalPort(const char *data, int length) {
  if (!tam_mqtt_client_connected()) {
    // A device that keeps talking would otherwise open one box per chunk.
    const int dropped = CountDroppedChunk();
    if (dropped == 1) DtuWarningBox(DtuLangText(DtuTextId::kNotConnected));
    Traffic("[Local-Tx]# not connected, dropped : %d. (%d chunks)", length, dropped);
    return;
  }
  if (tam_mqtt_client_send(data, length) != 0) {
    DtuWarningBox(DtuLangText(DtuTextId::kSendFailed));
    return;
  }
  Traffic("[Local-Tx]# : %d.", length);
}

void DtuRemoteBridge::FromCloud(const void *payload, int length) {
  std::lock_guard<std::recursive_mutex> calling(calls_);
  LocalWriter writer;
  {
    std::lock_guard<std::mutex> guard(lock_);
    writer = local_writer_;
  }
  const char *bytes = static_cast<const char *>(payload);
  if (writer) {
    writer(bytes, length);
  } else {
    WriteToOpenCommandPort(bytes, length);
  }
  Traffic("[Local-Rx]# : %d.", length);
}
