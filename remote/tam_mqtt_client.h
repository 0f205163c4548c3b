// The cloud MQTT link: one process-wide MQTT connection to the platform's
// broker, over the Paho MQTT C synchronous client. It is given a broker, a
// client identifier, credentials, one topic to subscribe to, one topic to
// publish to and a receiver, and offers connect, send and close.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  const char *host;       // broker host name
  int port;               // broker TCP port
  const char *client_id;  // MQTT client identifier
  const char *username;
  const char *password;
  const char *sub_topic;  // null or empty: no subscription
  const char *pub_topic;  // every send publishes here (cut to 255 characters)
  // Called on the library's thread for every incoming message; the payload
  // is not NUL-terminated and is valid only during the call.
  void (*on_message)(const char *topic, const void *payload, int length);
} tam_mqtt_client_params;

// 0 connected now or already before; -1 params missing; -2 the library
// refused to create the client; -3 the connection attempt failed.
int tam_mqtt_client_init(const tam_mqtt_client_params *params);

// Publishes the bytes unchanged (QoS 2) to the publish topic. 0 accepted;
// -2 payload missing or length 0; -1 no client or not connected; otherwise
// the library's publish result.
int tam_mqtt_client_send(const void *payload, int length);

// Only when connected: disconnects (1000 ms for in-flight work), releases
// the client and clears the state.
void tam_mqtt_client_close(void);

// 1 from a successful connect until close or until the connection is lost.
int tam_mqtt_client_connected(void);

// Called on the library's thread when the broker drops a connected link,
// with the cause the library gives (never null). Null: nobody is told.
void tam_mqtt_client_set_lost_handler(void (*on_lost)(const char *cause));

#ifdef __cplusplus
}
#endif
