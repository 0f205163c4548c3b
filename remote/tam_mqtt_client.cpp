#include "remote/tam_mqtt_client.h"

#include <MQTTClient.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/dtu_log.h"
#include "remote/tam_mqtt_client_tuning.h"

namespace {

using MessageReceiver = void (*)(const char *topic, const void *payload, int length);
using LostHandler = void (*)(const char *cause);

constexpr int kTopicBufferSize = 256;
constexpr int kUriBufferSize = 256;
constexpr int kKeepAliveSeconds = 900;
constexpr int kConnectTimeoutSeconds = 30;
constexpr int kDisconnectTimeoutMs = 1000;

// The link's process-wide state. The mutex serialises connect, send and
// close (GUI thread, serial notification thread); the library's own thread
// touches only the two atomics through the callbacks.
struct LinkState {
  std::mutex lock;
  MQTTClient client = nullptr;
  char pub_topic[kTopicBufferSize] = {0};
  std::atomic<int> connected{0};
  std::atomic<MessageReceiver> receiver{nullptr};
  std::atomic<LostHandler> on_lost{nullptr};
  std::atomic<int> inflight_window{kTamMqttDefaultInflightWindow};
};

LinkState &Link() {
  static LinkState state;
  return state;
}

void ReleaseClient(LinkState &link) {
  if (link.client == nullptr) return;
  MQTTClient_destroy(&link.client);
  link.client = nullptr;
}

MQTTClient_connectOptions BuildConnectOptions(const tam_mqtt_client_params *params,
                                              int inflight_window) {
  MQTTClient_connectOptions opts = MQTTClient_connectOptions_initializer;
  opts.struct_version = 8;
  opts.keepAliveInterval = kKeepAliveSeconds;
  opts.cleansession = 0;
  opts.will = nullptr;
  opts.username = params->username;
  opts.password = params->password;
  opts.connectTimeout = kConnectTimeoutSeconds;
  opts.retryInterval = 0;
  opts.ssl = nullptr;
  opts.serverURIcount = 0;
  opts.serverURIs = nullptr;
  opts.MQTTVersion = MQTTVERSION_DEFAULT;
  opts.cleanstart = 0;
  opts.httpHeaders = nullptr;
  opts.httpProxy = nullptr;
  opts.httpsProxy = nullptr;
  if (inflight_window <= 1) {
    opts.reliable = 1;
    opts.maxInflightMessages = -1;
  } else {
    opts.reliable = 0;
    opts.maxInflightMessages = inflight_window;
  }
  return opts;
}

}  // namespace

// Connection lost (library thread). The client stays until close or the next
// connect releases it; the library does not reconnect by itself.
static void _mqtt_disconnect_event(void *context, char *cause) {
  (void)context;
  const char *text = cause != nullptr ? cause : "connection lost";
  DTU_LOG("cause : %s.", text);
  Link().connected.store(0);
  LostHandler on_lost = Link().on_lost.load();
  if (on_lost != nullptr) on_lost(text);
}

// Message arrived (library thread): hand the bytes to the receiver, then free.
static int _mqtt_message_event(void *context, char *topic, int topic_length,
                               MQTTClient_message *message) {
  (void)context;
  (void)topic_length;
  MessageReceiver receiver = Link().receiver.load();
  if (receiver != nullptr) receiver(topic, message->payload, message->payloadlen);
  MQTTClient_freeMessage(&message);
  MQTTClient_free(topic);
  return 1;
}

int tam_mqtt_client_init(const tam_mqtt_client_params *params) {
  if (params == nullptr) {
    DTU_LOG("Input Params Invalid.");
    return -1;
  }
  LinkState &link = Link();
  std::lock_guard<std::mutex> guard(link.lock);
  if (link.connected.load()) {
    DTU_LOG("Device is connected.");
    return 0;
  }
  // A lost connection leaves its client behind; release it before making a
  // new one in its place.
  ReleaseClient(link);

  char uri[kUriBufferSize];
  snprintf(uri, sizeof uri, "tcp://%s:%d", params->host != nullptr ? params->host : "",
           params->port);
  int r = MQTTClient_create(&link.client, uri, params->client_id != nullptr ? params->client_id : "",
                            MQTTCLIENT_PERSISTENCE_NONE, nullptr);
  if (r != MQTTCLIENT_SUCCESS) {
    DTU_LOG("MQTTClient_create failed, resuult : %d.", r);
    link.client = nullptr;
    return -2;
  }
  MQTTClient_setCallbacks(link.client, nullptr, _mqtt_disconnect_event, _mqtt_message_event,
                          nullptr);

  MQTTClient_connectOptions opts = BuildConnectOptions(params, link.inflight_window.load());
  r = MQTTClient_connect(link.client, &opts);
  if (r != MQTTCLIENT_SUCCESS) {
    DTU_LOG("MQTTClient_connect failed, result : %d.", r);
    ReleaseClient(link);
    return -3;
  }

  const char *pub = params->pub_topic != nullptr ? params->pub_topic : "";
  snprintf(link.pub_topic, sizeof link.pub_topic, "%.*s", kTopicBufferSize - 1, pub);
  link.receiver.store(params->on_message);
  if (params->sub_topic != nullptr && params->sub_topic[0] != '\0') {
    MQTTClient_subscribe(link.client, params->sub_topic, 0);
  }
  link.connected.store(1);
  return 0;
}

int tam_mqtt_client_send(const void *payload, int length) {
  if (payload == nullptr || length == 0) {
    DTU_LOG("Input Params Invalid.");
    return -2;
  }
  LinkState &link = Link();
  std::lock_guard<std::mutex> guard(link.lock);
  if (link.client == nullptr) {
    DTU_LOG("MQTT Client is Invalid.");
    return -1;
  }
  if (!link.connected.load()) {
    DTU_LOG("Device is disconnect, please check.");
    return -1;
  }
  MQTTClient_message message = MQTTClient_message_initializer;
  message.struct_version = 1;
  message.payload = const_cast<void *>(payload);
  message.payloadlen = length;
  message.qos = 2;
  message.retained = 0;
  message.dup = 0;
  message.msgid = 0;
  int r = MQTTClient_publishMessage(link.client, link.pub_topic, &message, nullptr);
  if (r == MQTTCLIENT_SUCCESS) return 0;
  DTU_LOG("MQTTClient_publishMessage failed, result : %d.", r);
  return r;
}

void tam_mqtt_client_close(void) {
  LinkState &link = Link();
  std::lock_guard<std::mutex> guard(link.lock);
  if (!link.connected.load()) return;
  if (link.client != nullptr) {
    MQTTClient_disconnect(link.client, kDisconnectTimeoutMs);
    ReleaseClient(link);
  }
  memset(link.pub_topic, 0, sizeof link.pub_topic);
  link.connected.store(0);
  link.receiver.store(nullptr);
}

int tam_mqtt_client_connected(void) { return Link().connected.load(); }

void tam_mqtt_client_set_lost_handler(void (*on_lost)(const char *cause)) {
  Link().on_lost.store(on_lost);
}

void tam_mqtt_client_set_inflight_window(int messages) {
  Link().inflight_window.store(std::clamp(messages, 1, kTamMqttDefaultInflightWindow));
}

int tam_mqtt_client_inflight_window() { return Link().inflight_window.load(); }
