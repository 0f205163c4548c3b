// One MQTT connection of its own (not the process-wide cloud link of
// tam_mqtt_client.h): the fleet's command-port transport and the simulated
// remote devices each hold one. It tries its brokers in the order given (the
// first one that accepts wins; Paho's server list), publishes and subscribes
// at the QoS it is given, and tells its handlers about messages and a lost
// connection on the library's thread, where they must not block.
//
// It runs on Paho's asynchronous client (MQTTAsync): the synchronous one
// polls every 100 ms while it connects and connects one client at a time,
// so a simulator's thousand devices would take minutes to come up. Connect,
// Subscribe and Disconnect still wait for their outcome; Publish queues.
// The two Paho libraries share only stateless helpers (pthread wrappers,
// MQTT 5 property functions), so one process may use both.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct DtuMqttBroker {
  std::string host;
  int port = 1883;
};

// "host[:port][,host[:port]...]"; a missing port is `default_port`. False
// with `error` for an empty entry or a port that is not 1..65535.
bool DtuMqttParseBrokers(const std::string &text, int default_port, std::vector<DtuMqttBroker> &brokers,
                         std::string &error);
// "host:port,host:port" again.
std::string DtuMqttBrokersText(const std::vector<DtuMqttBroker> &brokers);

struct DtuMqttConnectionOptions {
  std::vector<DtuMqttBroker> brokers;  // tried in this order
  std::string client_id;               // must be unique on the broker
  std::string username;
  std::string password;
  bool clean_session = true;
  int keepalive_s = 60;
  int connect_timeout_s = 10;
  int inflight = 20;  // QoS 1/2 messages in flight at once
};

class DtuMqttConnection {
 public:
  using MessageHandler = std::function<void(const std::string &topic, const char *payload, int length)>;
  using LostHandler = std::function<void(const std::string &cause)>;

  DtuMqttConnection() = default;
  ~DtuMqttConnection();
  DtuMqttConnection(const DtuMqttConnection &) = delete;
  DtuMqttConnection &operator=(const DtuMqttConnection &) = delete;

  // Handlers are set before Connect and stay for the connection's life.
  void SetMessageHandler(MessageHandler handler);
  void SetLostHandler(LostHandler handler);

  // False with `error` ("cannot connect to 127.0.0.1:1883: ...") when no
  // broker accepted. A connection already up is closed first.
  bool Connect(const DtuMqttConnectionOptions &options, std::string &error);
  // Waits up to timeout_ms for messages in flight, then closes.
  void Disconnect(int timeout_ms = 1000);
  bool Connected() const;
  // The broker it is connected to ("tcp://127.0.0.1:1883"), "" when none.
  std::string ServerUri() const;

  // 0 when subscribed / the message was accepted, else Paho's code (0x80:
  // the broker refused the subscription). The owner never disconnects while
  // it calls these.
  int Subscribe(const std::string &topic, int qos);
  int Publish(const std::string &topic, const char *payload, int length, int qos);

 private:
  friend struct DtuMqttConnectionCallbacks;
  void *Handle() const;

  // Waits until the request just made ended (the library's onSuccess or
  // onFailure) or timeout_ms passed; false on failure or time-out, with
  // the library's text in `error`.
  bool Await(int timeout_ms, std::string &error);
  void Ended(bool ok, int code, const char *message, const char *server_uri = nullptr, int granted = 0);

  mutable std::mutex lock_;  // everything up to the handlers
  std::condition_variable ended_;
  void *client_ = nullptr;   // the MQTTAsync handle
  bool connected_ = false;
  std::string server_uri_;
  // The request in progress (one at a time: the owner waits for each).
  bool request_done_ = false;
  bool request_ok_ = false;
  std::string request_error_;
  int granted_qos_ = 0;
  // Held while a handler runs on the library's thread; Disconnect takes it
  // after the library stopped delivering, so no handler runs once it returns.
  std::mutex handler_lock_;
  bool delivering_ = false;  // guarded by handler_lock_
  MessageHandler on_message_;
  LostHandler on_lost_;
};
