// The command port over the cloud: a port named "cloud:<IMEI>" reaches that
// remote device of a product through the platform's MQTT broker instead of
// a serial port, with no pseudo-terminal in between. Each line the sender
// writes is published on the device's "get" topic; each message the device
// publishes on its "update" topic is one burst for the listener. The page
// engine, the command ring and the sender work on it unchanged.
//
// Every connection has its own client identifier, QoS 1 both ways and a
// clean session: nothing of an earlier run is delivered to a new one.
#pragma once

#include <string>
#include <vector>

#include "remote/dtu_mqtt_connection.h"

extern const char kDtuCloudPortScheme[];  // "cloud"

struct DtuCloudTransportSettings {
  std::vector<DtuMqttBroker> brokers;  // tried in this order
  std::string product_key;             // MQTT user name
  std::string product_secret;          // MQTT password
  std::string client_id;               // "": DtuInstanceClientId(DtuRemoteClientId())
  int qos = 1;
  int connect_timeout_s = 10;
};

// "cloud:<IMEI>".
std::string DtuCloudPortName(const std::string &imei);

// From now on, port names "cloud:<IMEI>" open through the broker with these
// settings (process-wide, link/dtu_cmd_transport.h).
void DtuCloudTransportInstall(const DtuCloudTransportSettings &settings);
void DtuCloudTransportRemove();
