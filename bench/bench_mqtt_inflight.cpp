// Two chunks published one after the other on the cloud link (QoS 2), as a
// bridge does when the local port delivers two bursts in a row: how long
// until the second reaches a subscriber, with one message in flight
// (`reliable` 1) against the window of 20 the link uses. Measured straight
// on loopback (chunks back to back) and through a relay that adds 25 ms each
// way (a distant broker; chunks 30 ms apart, as after the 20 ms quiet gap).
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/latency_proxy.h"
#include "remote/tam_mqtt_client.h"
#include "remote/tam_mqtt_client_tuning.h"
#include "sim/platform_broker.h"
#include "sim/platform_mqtt_peer.h"

namespace {

struct Scenario {
  const char *name;
  int link_port;  // where the link connects (the broker or the relay)
  int gap_ms;     // time between the two chunks
  int pairs;
};

// Times from the second send until the subscriber has it.
bool MeasurePairs(const MosquittoBroker &broker, const Scenario &s, int window,
                  std::vector<double> &out) {
  tam_mqtt_client_set_inflight_window(window);
  std::string id = "bench-inflight-" + std::to_string(window) + "-" + std::to_string(s.link_port);
  tam_mqtt_client_params p{};
  p.host = broker.Host().c_str();
  p.port = s.link_port;
  p.client_id = id.c_str();
  p.username = "pk";
  p.password = "ps";
  p.sub_topic = "";
  p.pub_topic = "bench/get";
  if (tam_mqtt_client_init(&p) != 0) return false;
  MqttPeer peer;
  std::string error;
  if (!peer.Connect(broker.Host(), broker.Port(), id + "-peer", error) ||
      !peer.Subscribe("bench/get", 0)) {
    fprintf(stderr, "peer: %s\n", error.c_str());
    return false;
  }
  for (int i = 0; i < s.pairs; ++i) {
    tam_mqtt_client_send("first-chunk", 11);
    if (s.gap_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(s.gap_ms));
    double start = BenchNowMs();
    tam_mqtt_client_send("second-chunk", 12);
    MqttPeer::Message m;
    if (!peer.WaitMessage(m, 5000) || !peer.WaitMessage(m, 5000)) return false;
    out.push_back(BenchNowMs() - start);
    std::this_thread::sleep_for(std::chrono::milliseconds(s.gap_ms > 0 ? 150 : 0));
  }
  tam_mqtt_client_close();
  return true;
}

}  // namespace

int main() {
  MosquittoBroker broker;
  if (!broker.Start()) {
    fprintf(stderr, "broker: %s\n", broker.ErrorText().c_str());
    return 1;
  }
  LatencyProxy distant(broker.Port(), 25);
  int distant_port = distant.Start();
  if (distant_port == 0) {
    fprintf(stderr, "relay failed to start\n");
    return 1;
  }
  const Scenario scenarios[] = {
      {"loopback, back to back", broker.Port(), 0, 100},
      {"25 ms each way, 30 ms apart", distant_port, 30, 20},
  };
  printf("QoS 2 chunk pairs on the cloud link: second chunk, send to delivery\n");
  printf("%-30s %-30s %9s %9s\n", "broker", "in flight", "p50 ms", "p99 ms");
  for (const Scenario &s : scenarios) {
    for (int window : {1, 20}) {
      std::vector<double> t;
      if (!MeasurePairs(broker, s, window, t)) {
        fprintf(stderr, "measurement '%s' with window %d failed\n", s.name, window);
        return 1;
      }
      printf("%-30s %-30s %9.2f %9.2f\n", s.name,
             window == 1 ? "1 (reliable 1)" : "20 (reliable 0, link default)",
             BenchPercentile(t, 50), BenchPercentile(t, 99));
    }
  }
  return 0;
}
