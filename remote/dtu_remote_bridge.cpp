#include "remote/dtu_remote_bridge.h"

#include <cstdio>
#include <mutex>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_resp_table.h"
#include "remote/tam_mqtt_client.h"

namespace {

constexpr int kTrafficLineSize = 128;  // traffic lines are cut to 127 characters

// The callbacks are read on the serial and MQTT threads and replaced on the
// GUI thread: copy them under the lock, call them outside it.
struct BridgeHooks {
  std::mutex lock;
  DtuRemoteBridge::TrafficLog traffic_log;
  DtuRemoteBridge::LocalWriter local_writer;
  DtuRemoteBridge::LinkLost link_lost;
  // Chunks dropped for want of a link since its state last changed; the
  // "Not connected" box shows for the first of them only.
  int dropped_chunks = 0;
};

BridgeHooks &Hooks() {
  static BridgeHooks hooks;
  return hooks;
}

DtuRemoteBridge::TrafficLog CurrentTrafficLog() {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  return Hooks().traffic_log;
}

DtuRemoteBridge::LocalWriter CurrentLocalWriter() {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  return Hooks().local_writer;
}

DtuRemoteBridge::LinkLost CurrentLinkLost() {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  return Hooks().link_lost;
}

void LinkStateChanged() {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  Hooks().dropped_chunks = 0;
}

// Returns how many chunks were dropped so far, this one included.
int CountDroppedChunk() {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  return ++Hooks().dropped_chunks;
}

void OnLinkLost(const char *cause) {
  LinkStateChanged();
  DtuRemoteBridge::LinkLost handler = CurrentLinkLost();
  if (handler) handler(cause);
}

int WriteToOpenCommandPort(const char *data, int length) {
  DtuCmdPort *port = DtuCmdPort::OpenInstance();
  if (port == nullptr) return -1;
  return port->WriteRaw(data, length);
}

template <typename... Counts>
void Traffic(const char *format, Counts... counts) {
  DtuRemoteBridge::TrafficLog log = CurrentTrafficLog();
  if (!log) return;
  char line[kTrafficLineSize];
  snprintf(line, sizeof line, format, counts...);
  log(line);
}

}  // namespace

int DtuRemoteBridge::Connect(const DtuRemoteLinkSettings &settings) {
  const std::string client_id =
      settings.client_id.empty() ? DtuRemoteClientId() : settings.client_id;
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
  params.on_message = &DtuRemoteBridge::CloudToLocal;
  tam_mqtt_client_set_lost_handler(&OnLinkLost);
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

void DtuRemoteBridge::Attach() {
  DtuCmdSetRemoteSink(&DtuRemoteBridge::LocalToCloud);
  DtuCmdSetRemoteMode(true);
}

void DtuRemoteBridge::Detach() {
  DtuCmdSetRemoteMode(false);
  DtuCmdSetRemoteSink(nullptr);
}

void DtuRemoteBridge::SetTrafficLog(TrafficLog log) {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  Hooks().traffic_log = std::move(log);
}

void DtuRemoteBridge::SetLinkLostHandler(LinkLost handler) {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  Hooks().link_lost = std::move(handler);
}

void DtuRemoteBridge::SetLocalWriter(LocalWriter writer) {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  Hooks().local_writer = std::move(writer);
}

void DtuRemoteBridge::LocalToCloud(const char *data, int length) {
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

void DtuRemoteBridge::CloudToLocal(const char *topic, const void *payload, int length) {
  (void)topic;
  LocalWriter writer = CurrentLocalWriter();
  const char *bytes = static_cast<const char *>(payload);
  if (writer) {
    writer(bytes, length);
  } else {
    WriteToOpenCommandPort(bytes, length);
  }
  Traffic("[Local-Rx]# : %d.", length);
}
