// The remote bridge: turns the local command serial port into a transparent
// pipe to one remote device through the cloud MQTT link.
//
//  - local -> cloud: while remote mode is on, the command port hands every
//    chunk read on the local port (raw, untrimmed) to LocalToCloud, which
//    publishes it with tam_mqtt_client_send;
//  - cloud -> local: every broker message is written unchanged to the local
//    port (not queued, busy flag untouched), whatever page is on view.
// Each direction reports "[Local-Tx]# : %d." / "[Local-Rx]# : %d." to the
// traffic log. One bridge exists per process, like the link under it.
//
// While the link is down, the first chunk from the local port shows "Not
// connected" once; that and every later one is counted in the traffic log
// as dropped, until the link state changes (connect, disconnect, loss).
#pragma once

#include <functional>
#include <string>

#include "remote/dtu_remote_ids.h"

struct DtuRemoteLinkSettings {
  std::string host;
  int port = 1883;
  std::string client_id;  // empty: DtuRemoteClientId()
  std::string product_key;
  std::string product_secret;
  std::string device_id;  // the device's IMEI
};

class DtuRemoteBridge {
 public:
  using TrafficLog = std::function<void(const std::string &line)>;
  using LocalWriter = std::function<int(const char *data, int length)>;
  using LinkLost = std::function<void(const std::string &cause)>;

  // Connects the cloud link on the device's topics with CloudToLocal as its
  // receiver: user name productKey, password productSecret. Returns the
  // result of tam_mqtt_client_init (0 connected or already connected).
  static int Connect(const DtuRemoteLinkSettings &settings);
  // Closes the link when it is connected.
  static void Disconnect();
  static bool Connected();

  // Installs LocalToCloud as the command port's remote sink and switches
  // remote mode (chunks from the local port go to the cloud, not to pages).
  static void Attach();
  // Removes the sink and switches remote mode off.
  static void Detach();

  // Where traffic lines go (the virtual serial page's log, stderr in
  // varnokctl). Without one, no line is written.
  static void SetTrafficLog(TrafficLog log);
  // Told (on the MQTT library's thread) when the broker drops the link.
  static void SetLinkLostHandler(LinkLost handler);
  // Where broker messages are written. Default: the open command port's
  // WriteRaw; nothing is written while no port is open.
  static void SetLocalWriter(LocalWriter writer);

  // Bytes just read on the local port: text 148 (once per link state) and a
  // "dropped" line when the link is not connected, text 152 when the publish
  // fails, else a "[Local-Tx]" line.
  static void LocalToCloud(const char *data, int length);
  // The link's receiver (MQTT library thread).
  static void CloudToLocal(const char *topic, const void *payload, int length);
};
