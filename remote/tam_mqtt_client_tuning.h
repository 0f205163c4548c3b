// How many QoS 2 publishes the cloud link keeps in flight at once.
//
// Paho's synchronous client with `reliable` 1 allows one QoS 2 message in
// flight; a second publish waits in a loop that sleeps 100 ms, so two chunks
// that follow each other stall an interactive bridge. The link therefore
// connects with `reliable` 0 and a window of 20 messages (mosquitto's default
// limit for incoming QoS 2; above it the broker drops messages silently).
// QoS 2 and the order of chunks are kept either way.
#pragma once

constexpr int kTamMqttDefaultInflightWindow = 20;

// 1 restores the one-in-flight behaviour (`reliable` 1, `maxInflightMessages`
// -1), used by the bridge benchmark to measure the stall; values above 20 are
// cut to 20. Takes effect at the next connect.
void tam_mqtt_client_set_inflight_window(int messages);
int tam_mqtt_client_inflight_window();
