// The remote bridge: turns the local command serial port into a transparent
// pipe to one remote device through the cloud MQTT link.
//
//  - local -> cloud: while the command port is in remote mode with this
//    bridge (DtuCmdPort::EnterRemoteMode), every chunk read on the local port
//    (raw, untrimmed) comes to FromLocalPort, which publishes it with
//    tam_mqtt_client_send;
//  - cloud -> local: every broker message is written unchanged to the local
//    port (not queued, busy flag untouched), whatever page is on view.
// Each direction reports "[Local-Tx]# : %d." / "[Local-Rx]# : %d." to the
// traffic log.
//
// While the link is down, the first chunk from the local port shows "Not
// connected" once; that and every later one is counted in the traffic log
// as dropped, until the link state changes (connect, disconnect, loss).
//
// The bridge belongs to its user (the virtual serial page, `varnokctl
// bridge`), which keeps it in a shared_ptr: the command port holds it too
// while in remote mode, and the cloud link's receiver and loss report reach
// the bridge that last connected it while that bridge lives.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/dtu_cmd_port.h"
#include "remote/dtu_remote_ids.h"

struct DtuRemoteLinkSettings {
  std::string host;
  int port = 1883;
  std::string client_id;  // empty: DtuInstanceClientId(DtuRemoteClientId())
  std::string product_key;
  std::string product_secret;
  std::string device_id;  // the device's IMEI
};

class DtuRemoteBridge : public DtuCmdRemotePeer, public std::enable_shared_from_this<DtuRemoteBridge> {
 public:
  using TrafficLog = std::function<void(const std::string &line)>;
  using LocalWriter = std::function<int(const char *data, int length)>;
  using LinkLost = std::function<void(const std::string &cause)>;

  DtuRemoteBridge() = default;
  DtuRemoteBridge(const DtuRemoteBridge &) = delete;
  DtuRemoteBridge &operator=(const DtuRemoteBridge &) = delete;

  // Connects the cloud link on the device's topics with this bridge as its
  // receiver: user name productKey, password productSecret. Returns the
  // result of tam_mqtt_client_init (0 connected or already connected).
  int Connect(const DtuRemoteLinkSettings &settings);
  // Closes the link when it is connected.
  void Disconnect();
  static bool Connected();

  // Where traffic lines go (the virtual serial page's log, stderr in
  // varnokctl). Without one, no line is written.
  void SetTrafficLog(TrafficLog log);
  // Told (on the MQTT library's thread) when the broker drops the link.
  void SetLinkLostHandler(LinkLost handler);
  // Where broker messages are written. Default: the open command port's
  // WriteRaw; nothing is written while no port is open.
  void SetLocalWriter(LocalWriter writer);

  // Bytes just read on the local port: "Not connected" (once per link state)
  // and a "dropped" line when the link is not connected, "Send failed" when
  // the publish fails, else a "[Local-Tx]" line.
  void FromLocalPort(const char *data, int length) override;
  // A broker message (MQTT library thread).
  void FromCloud(const void *payload, int length);

 private:
  void OnLinkLost(const char *cause);
  void LinkStateChanged();
  int CountDroppedChunk();
  template <typename... Counts>
  void Traffic(const char *format, Counts... counts);

  // The hooks are called on the serial and MQTT threads and replaced on the
  // GUI thread: copied under the lock, called outside it but inside
  // `calls_`, which a replacement takes too, so a page that removes its
  // hooks before it goes is never called afterwards. Recursive: a hook may
  // replace hooks itself.
  std::recursive_mutex calls_;
  std::mutex lock_;
  TrafficLog traffic_log_;
  LocalWriter local_writer_;
  LinkLost link_lost_;
  // Chunks dropped for want of a link since its state last changed; the
  // "Not connected" box shows for the first of them only.
  int dropped_chunks_ = 0;

  friend struct DtuRemoteBridgeLinkRoute;
};
