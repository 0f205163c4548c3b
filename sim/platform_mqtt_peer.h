// The other end of an MQTT conversation: a plain Paho client with its own
// connection (not the process-wide cloud link), for tests and simulators.
// Messages either queue up for WaitMessage or go to a handler.
#pragma once

#include <MQTTClient.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

class MqttPeer {
 public:
  struct Message {
    std::string topic;
    std::string payload;  // binary, zero bytes included
  };
  using Handler = std::function<void(const Message &message)>;

  MqttPeer() = default;
  ~MqttPeer();
  MqttPeer(const MqttPeer &) = delete;
  MqttPeer &operator=(const MqttPeer &) = delete;

  // Clean session; returns false with error_text when the broker refuses.
  bool Connect(const std::string &host, int port, const std::string &client_id,
               std::string &error_text);
  void Disconnect();
  bool Connected() const;

  bool Subscribe(const std::string &topic, int qos = 0);
  // 0 when the library accepted the message, else the library's code.
  int Publish(const std::string &topic, const std::string &payload, int qos = 2);

  // Called on the library's thread; it must not call Publish synchronously
  // for QoS > 0 when it can block (hand work to another thread instead).
  void SetHandler(Handler handler);
  // Pops the oldest queued message; false after timeout_ms without one.
  bool WaitMessage(Message &out, int timeout_ms);
  size_t QueuedCount() const;

 private:
  static int OnArrived(void *context, char *topic, int topic_length, MQTTClient_message *message);
  static void OnLost(void *context, char *cause);

  MQTTClient client_ = nullptr;
  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<Message> queue_;
  Handler handler_;
  bool connected_ = false;
};
