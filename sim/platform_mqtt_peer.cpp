#include "sim/platform_mqtt_peer.h"

#include <MQTTClient.h>

#include <chrono>

MqttPeer::~MqttPeer() { Disconnect(); }

bool MqttPeer::Connect(const std::string &host, int port, const std::string &client_id,
                       std::string &error_text) {
  Disconnect();
  std::string uri = "tcp://" + host + ":" + std::to_string(port);
  MQTTClient client = nullptr;
  int r = MQTTClient_create(&client, uri.c_str(), client_id.c_str(), MQTTCLIENT_PERSISTENCE_NONE,
                            nullptr);
  if (r != MQTTCLIENT_SUCCESS) {
    error_text = "MQTTClient_create: " + std::to_string(r);
    return false;
  }
  MQTTClient_setCallbacks(client, this, &MqttPeer::OnLost,
                          &MqttPeer::OnArrived,
                          nullptr);
  MQTTClient_connectOptions opts = MQTTClient_connectOptions_initializer;
  opts.cleansession = 1;
  opts.keepAliveInterval = 60;
  opts.connectTimeout = 10;
  opts.reliable = 0;
  opts.maxInflightMessages = 20;
  r = MQTTClient_connect(client, &opts);
  if (r != MQTTCLIENT_SUCCESS) {
    error_text = "MQTTClient_connect: " + std::to_string(r);
    MQTTClient_destroy(&client);
    return false;
  }
  std::lock_guard<std::mutex> guard(lock_);
  client_ = client;
  connected_ = true;
  return true;
}

void MqttPeer::Disconnect() {
  MQTTClient client = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock_);
    client = client_;
    client_ = nullptr;
    connected_ = false;
  }
  if (client == nullptr) return;
  MQTTClient_disconnect(client, 500);
  MQTTClient_destroy(&client);
}

bool MqttPeer::Connected() const {
  std::lock_guard<std::mutex> guard(lock_);
  return connected_;
}

bool MqttPeer::Subscribe(const std::string &topic, int qos) {
  if (client_ == nullptr) return false;
  return MQTTClient_subscribe(client_, topic.c_str(), qos) == MQTTCLIENT_SUCCESS;
}

int MqttPeer::Publish(const std::string &topic, const std::string &payload, int qos) {
  if (client_ == nullptr) return MQTTCLIENT_DISCONNECTED;
  MQTTClient_message message = MQTTClient_message_initializer;
  message.payload = const_cast<char *>(payload.data());
  message.payloadlen = static_cast<int>(payload.size());
  message.qos = qos;
  return MQTTClient_publishMessage(client_, topic.c_str(), &message, nullptr);
}

void MqttPeer::SetHandler(Handler handler) {
  std::lock_guard<std::mutex> guard(lock_);
  handler_ = std::move(handler);
}

bool MqttPeer::WaitMessage(Message &out, int timeout_ms) {
  std::unique_lock<std::mutex> guard(lock_);
  if (!arrived_.wait_for(guard, std::chrono::milliseconds(timeout_ms),
                         [this] { return !queue_.empty(); })) {
    return false;
  }
  out = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

size_t MqttPeer::QueuedCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return queue_.size();
}

int MqttPeer::OnArrived(void *context, char *topic, int topic_length,
                        MQTTClient_message *message) {
  auto *self = static_cast<MqttPeer *>(context);
  Message copy;
  copy.topic = topic_length > 0 ? std::string(topic, topic_length) : std::string(topic);
  copy.payload.assign(static_cast<const char *>(message->payload), message->payloadlen);
  MQTTClient_freeMessage(&message);
  MQTTClient_free(topic);
  Handler handler;
  {
    std::lock_guard<std::mutex> guard(self->lock_);
    handler = self->handler_;
    if (!handler) {
      self->queue_.push_back(std::move(copy));
      self->arrived_.notify_all();
      return 1;
    }
  }
  handler(copy);
  return 1;
}

void MqttPeer::OnLost(void *context, char *cause) {
  (void)cause;
  auto *self = static_cast<MqttPeer *>(context);
  std::lock_guard<std::mutex> guard(self->lock_);
  self->connected_ = false;
}
