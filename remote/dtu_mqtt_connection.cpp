#include "remote/dtu_mqtt_connection.h"

#include <MQTTClient.h>

#include <cstdlib>

namespace {

bool ParsePort(const std::string &text, int &port) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 5) return false;
  port = std::atoi(text.c_str());
  return port >= 1 && port <= 65535;
}

std::string Uri(const DtuMqttBroker &broker) { return "tcp://" + broker.host + ":" + std::to_string(broker.port); }

}  // namespace

bool DtuMqttParseBrokers(const std::string &text, int default_port, std::vector<DtuMqttBroker> &brokers,
                         std::string &error) {
  std::vector<DtuMqttBroker> found;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    DtuMqttBroker broker;
    broker.port = default_port;
    const size_t colon = entry.rfind(':');
    broker.host = entry.substr(0, colon);
    if (colon != std::string::npos && !ParsePort(entry.substr(colon + 1), broker.port)) {
      error = "bad broker port in \"" + entry + "\"";
      return false;
    }
    if (broker.host.empty()) {
      error = "empty broker in \"" + text + "\"";
      return false;
    }
    found.push_back(broker);
    start = end + 1;
  }
  brokers = std::move(found);
  return true;
}

std::string DtuMqttBrokersText(const std::vector<DtuMqttBroker> &brokers) {
  std::string text;
  for (const DtuMqttBroker &b : brokers) text += (text.empty() ? "" : ",") + b.host + ":" + std::to_string(b.port);
  return text;
}

// The library's callbacks, with the connection as their context.
struct DtuMqttConnectionCallbacks {
  static int Arrived(void *context, char *topic, int topic_length, MQTTClient_message *message) {
    auto *self = static_cast<DtuMqttConnection *>(context);
    const std::string name = topic_length > 0 ? std::string(topic, static_cast<size_t>(topic_length)) : topic;
    {
      std::lock_guard<std::mutex> guard(self->handler_lock_);
      if (self->delivering_ && self->on_message_) {
        self->on_message_(name, static_cast<const char *>(message->payload), message->payloadlen);
      }
    }
    MQTTClient_freeMessage(&message);
    MQTTClient_free(topic);
    return 1;
  }

  static void Lost(void *context, char *cause) {
    auto *self = static_cast<DtuMqttConnection *>(context);
    {
      std::lock_guard<std::mutex> guard(self->lock_);
      self->connected_ = false;
    }
    std::lock_guard<std::mutex> guard(self->handler_lock_);
    if (self->delivering_ && self->on_lost_) self->on_lost_(cause != nullptr ? cause : "connection lost");
  }
};

DtuMqttConnection::~DtuMqttConnection() { Disconnect(0); }

void DtuMqttConnection::SetMessageHandler(MessageHandler handler) {
  std::lock_guard<std::mutex> guard(handler_lock_);
  on_message_ = std::move(handler);
}

void DtuMqttConnection::SetLostHandler(LostHandler handler) {
  std::lock_guard<std::mutex> guard(handler_lock_);
  on_lost_ = std::move(handler);
}

bool DtuMqttConnection::Connect(const DtuMqttConnectionOptions &options, std::string &error) {
  Disconnect(0);
  if (options.brokers.empty()) {
    error = "no broker given";
    return false;
  }
  std::vector<std::string> uris;
  for (const DtuMqttBroker &b : options.brokers) uris.push_back(Uri(b));
  std::vector<char *> uri_list;
  for (std::string &u : uris) uri_list.push_back(u.data());
  MQTTClient client = nullptr;
  int r = MQTTClient_create(&client, uris[0].c_str(), options.client_id.c_str(), MQTTCLIENT_PERSISTENCE_NONE,
                            nullptr);
  if (r != MQTTCLIENT_SUCCESS) {
    error = "cannot make an MQTT client (" + std::to_string(r) + ")";
    return false;
  }
  MQTTClient_setCallbacks(client, this, &DtuMqttConnectionCallbacks::Lost, &DtuMqttConnectionCallbacks::Arrived,
                          nullptr);
  MQTTClient_connectOptions opts = MQTTClient_connectOptions_initializer;
  opts.keepAliveInterval = options.keepalive_s;
  opts.cleansession = options.clean_session ? 1 : 0;
  opts.reliable = 0;
  opts.maxInflightMessages = options.inflight;
  opts.connectTimeout = options.connect_timeout_s;
  opts.username = options.username.empty() ? nullptr : options.username.c_str();
  opts.password = options.password.empty() ? nullptr : options.password.c_str();
  if (uri_list.size() > 1) {
    opts.serverURIcount = static_cast<int>(uri_list.size());
    opts.serverURIs = uri_list.data();
  }
  {
    std::lock_guard<std::mutex> guard(handler_lock_);
    delivering_ = true;
  }
  r = MQTTClient_connect(client, &opts);
  if (r != MQTTCLIENT_SUCCESS) {
    {
      std::lock_guard<std::mutex> guard(handler_lock_);
      delivering_ = false;
    }
    MQTTClient_destroy(&client);
    error = "cannot connect to " + DtuMqttBrokersText(options.brokers) + " (" +
            (r > 0 ? "refused, code " + std::to_string(r) : MQTTClient_strerror(r)) + ")";
    return false;
  }
  std::lock_guard<std::mutex> guard(lock_);
  client_ = client;
  connected_ = true;
  server_uri_ = opts.returned.serverURI != nullptr ? opts.returned.serverURI : uris[0];
  return true;
}

void DtuMqttConnection::Disconnect(int timeout_ms) {
  MQTTClient client = nullptr;
  bool was_connected = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    client = client_;
    was_connected = connected_;
    client_ = nullptr;
    connected_ = false;
    server_uri_.clear();
  }
  if (client == nullptr) return;
  if (was_connected) MQTTClient_disconnect(client, timeout_ms);
  {
    std::lock_guard<std::mutex> guard(handler_lock_);
    delivering_ = false;
  }
  MQTTClient_destroy(&client);
}

bool DtuMqttConnection::Connected() const {
  std::lock_guard<std::mutex> guard(lock_);
  return connected_;
}

std::string DtuMqttConnection::ServerUri() const {
  std::lock_guard<std::mutex> guard(lock_);
  return server_uri_;
}

// The handle is used outside the lock: the library's thread takes the lock
// when the connection is lost, and a subscription waits for that thread.
// Only the owner disconnects, never while it subscribes or publishes.
void *DtuMqttConnection::Handle() const {
  std::lock_guard<std::mutex> guard(lock_);
  return connected_ ? client_ : nullptr;
}

int DtuMqttConnection::Subscribe(const std::string &topic, int qos) {
  MQTTClient client = Handle();
  if (client == nullptr) return MQTTCLIENT_DISCONNECTED;
  // A broker that refuses the subscription grants 0x80 (MQTT_BAD_SUBSCRIBE).
  return MQTTClient_subscribe(client, topic.c_str(), qos);
}

int DtuMqttConnection::Publish(const std::string &topic, const char *payload, int length, int qos) {
  MQTTClient client = Handle();
  if (client == nullptr) return MQTTCLIENT_DISCONNECTED;
  MQTTClient_message message = MQTTClient_message_initializer;
  message.payload = const_cast<char *>(payload);
  message.payloadlen = length;
  message.qos = qos;
  return MQTTClient_publishMessage(client, topic.c_str(), &message, nullptr);
}
