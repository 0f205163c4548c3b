#include "remote/dtu_mqtt_connection.h"

#include <MQTTAsync.h>

#include <chrono>
#include <cstdlib>

namespace {

constexpr int kGraceMs = 2000;  // beyond the connect time-out, for the library's own answer

bool ParsePort(const std::string &text, int &port) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 5) return false;
  port = std::atoi(text.c_str());
  return port >= 1 && port <= 65535;
}

std::string Uri(const DtuMqttBroker &broker) { return "tcp://" + broker.host + ":" + std::to_string(broker.port); }

std::string FailureText(int code, const char *message) {
  std::string text = message != nullptr && *message ? message : MQTTAsync_strerror(code);
  if (code > 0) text = "refused, code " + std::to_string(code);  // the broker's CONNACK code
  return text;
}

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
  static int Arrived(void *context, char *topic, int topic_length, MQTTAsync_message *message) {
    auto *self = static_cast<DtuMqttConnection *>(context);
    const std::string name = topic_length > 0 ? std::string(topic, static_cast<size_t>(topic_length)) : topic;
    {
      std::lock_guard<std::mutex> guard(self->handler_lock_);
      if (self->delivering_ && self->on_message_) {
        self->on_message_(name, static_cast<const char *>(message->payload), message->payloadlen);
      }
    }
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
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

  static void Connected(void *context, MQTTAsync_successData *data) {
    const char *uri = data != nullptr ? data->alt.connect.serverURI : nullptr;
    static_cast<DtuMqttConnection *>(context)->Ended(true, 0, nullptr, uri);
  }
  static void Subscribed(void *context, MQTTAsync_successData *data) {
    static_cast<DtuMqttConnection *>(context)->Ended(true, 0, nullptr, nullptr, data != nullptr ? data->alt.qos : 0);
  }
  static void Done(void *context, MQTTAsync_successData *) {
    static_cast<DtuMqttConnection *>(context)->Ended(true, 0, nullptr);
  }
  static void Failed(void *context, MQTTAsync_failureData *data) {
    static_cast<DtuMqttConnection *>(context)->Ended(false, data != nullptr ? data->code : MQTTASYNC_FAILURE,
                                                     data != nullptr ? data->message : nullptr);
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

void DtuMqttConnection::Ended(bool ok, int code, const char *message, const char *server_uri, int granted) {
  std::lock_guard<std::mutex> guard(lock_);
  request_done_ = true;
  request_ok_ = ok;
  request_error_ = ok ? std::string() : FailureText(code, message);
  if (server_uri != nullptr) server_uri_ = server_uri;
  granted_qos_ = granted;
  ended_.notify_all();
}

bool DtuMqttConnection::Await(int timeout_ms, std::string &error) {
  std::unique_lock<std::mutex> guard(lock_);
  if (!ended_.wait_for(guard, std::chrono::milliseconds(timeout_ms), [this] { return request_done_; })) {
    error = "no answer from the broker in time";
    return false;
  }
  error = request_error_;
  return request_ok_;
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
  MQTTAsync client = nullptr;
  int r = MQTTAsync_create(&client, uris[0].c_str(), options.client_id.c_str(), MQTTCLIENT_PERSISTENCE_NONE, nullptr);
  if (r != MQTTASYNC_SUCCESS) {
    error = "cannot make an MQTT client (" + std::to_string(r) + ")";
    return false;
  }
  MQTTAsync_setCallbacks(client, this, &DtuMqttConnectionCallbacks::Lost, &DtuMqttConnectionCallbacks::Arrived,
                         nullptr);
  MQTTAsync_connectOptions opts = MQTTAsync_connectOptions_initializer;
  opts.keepAliveInterval = options.keepalive_s;
  opts.cleansession = options.clean_session ? 1 : 0;
  opts.maxInflight = options.inflight;
  opts.connectTimeout = options.connect_timeout_s;
  opts.username = options.username.empty() ? nullptr : options.username.c_str();
  opts.password = options.password.empty() ? nullptr : options.password.c_str();
  opts.automaticReconnect = 0;
  if (uri_list.size() > 1) {
    opts.serverURIcount = static_cast<int>(uri_list.size());
    opts.serverURIs = uri_list.data();
  }
  opts.onSuccess = &DtuMqttConnectionCallbacks::Connected;
  opts.onFailure = &DtuMqttConnectionCallbacks::Failed;
  opts.context = this;
  {
    std::lock_guard<std::mutex> guard(handler_lock_);
    delivering_ = true;
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    request_done_ = false;
    server_uri_.clear();
    client_ = client;  // for Disconnect, should the wait fail
  }
  r = MQTTAsync_connect(client, &opts);
  std::string why;
  // Each broker of the list may take the whole connect time-out.
  const int wait_ms = options.connect_timeout_s * 1000 * static_cast<int>(uris.size()) + kGraceMs;
  if (r != MQTTASYNC_SUCCESS) why = MQTTAsync_strerror(r);
  if (r != MQTTASYNC_SUCCESS || !Await(wait_ms, why)) {
    Disconnect(0);
    error = "cannot connect to " + DtuMqttBrokersText(options.brokers) + " (" + why + ")";
    return false;
  }
  std::lock_guard<std::mutex> guard(lock_);
  connected_ = true;
  if (server_uri_.empty()) server_uri_ = uris[0];
  return true;
}

void DtuMqttConnection::Disconnect(int timeout_ms) {
  MQTTAsync client = nullptr;
  bool was_connected = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    client = client_;
    was_connected = connected_;
    client_ = nullptr;
    connected_ = false;
    server_uri_.clear();
    request_done_ = false;
  }
  if (client == nullptr) return;
  if (was_connected) {
    MQTTAsync_disconnectOptions opts = MQTTAsync_disconnectOptions_initializer;
    opts.timeout = timeout_ms;
    opts.onSuccess = &DtuMqttConnectionCallbacks::Done;
    opts.onFailure = &DtuMqttConnectionCallbacks::Failed;
    opts.context = this;
    std::string ignored;
    if (MQTTAsync_disconnect(client, &opts) == MQTTASYNC_SUCCESS) Await(timeout_ms + kGraceMs, ignored);
  }
  {
    std::lock_guard<std::mutex> guard(handler_lock_);
    delivering_ = false;
  }
  MQTTAsync_destroy(&client);
}

bool DtuMqttConnection::Connected() const {
  std::lock_guard<std::mutex> guard(lock_);
  return connected_;
}

std::string DtuMqttConnection::ServerUri() const {
  std::lock_guard<std::mutex> guard(lock_);
  return server_uri_;
}

void *DtuMqttConnection::Handle() const {
  std::lock_guard<std::mutex> guard(lock_);
  return connected_ ? client_ : nullptr;
}

int DtuMqttConnection::Subscribe(const std::string &topic, int qos) {
  MQTTAsync client = Handle();
  if (client == nullptr) return MQTTASYNC_DISCONNECTED;
  {
    std::lock_guard<std::mutex> guard(lock_);
    request_done_ = false;
  }
  MQTTAsync_responseOptions opts = MQTTAsync_responseOptions_initializer;
  opts.onSuccess = &DtuMqttConnectionCallbacks::Subscribed;
  opts.onFailure = &DtuMqttConnectionCallbacks::Failed;
  opts.context = this;
  const int r = MQTTAsync_subscribe(client, topic.c_str(), qos, &opts);
  if (r != MQTTASYNC_SUCCESS) return r;
  std::string error;
  if (!Await(10000, error)) return MQTTASYNC_FAILURE;
  std::lock_guard<std::mutex> guard(lock_);
  // A broker that refuses the subscription grants 0x80 (MQTT_BAD_SUBSCRIBE).
  return granted_qos_ == 0x80 ? granted_qos_ : MQTTASYNC_SUCCESS;
}

int DtuMqttConnection::Publish(const std::string &topic, const char *payload, int length, int qos) {
  MQTTAsync client = Handle();
  if (client == nullptr) return MQTTASYNC_DISCONNECTED;
  MQTTAsync_message message = MQTTAsync_message_initializer;
  message.payload = const_cast<char *>(payload);
  message.payloadlen = length;
  message.qos = qos;
  return MQTTAsync_sendMessage(client, topic.c_str(), &message, nullptr);
}
