// Two chunks published back to back on the cloud link (QoS 2), as a bridge
// does when the local port delivers two bursts in a row: how long until the
// second one reaches a subscriber, with one message in flight (`reliable` 1)
// against the window of 20 the link uses.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "remote/tam_mqtt_client.h"
#include "remote/tam_mqtt_client_tuning.h"
#include "tests/support/mosquitto_broker.h"
#include "tests/support/mqtt_peer.h"

namespace {

constexpr int kPairs = 100;

struct PairTimes {
  std::vector<double> second_arrival_ms;
  std::vector<double> send_calls_ms;
};

bool MeasurePairs(const MosquittoBroker &broker, int window, PairTimes &out) {
  tam_mqtt_client_set_inflight_window(window);
  std::string id = "bench-inflight-" + std::to_string(window);
  tam_mqtt_client_params p{};
  p.host = broker.Host().c_str();
  p.port = broker.Port();
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
  for (int i = 0; i < kPairs; ++i) {
    double start = BenchNowMs();
    tam_mqtt_client_send("first-chunk", 11);
    tam_mqtt_client_send("second-chunk", 12);
    out.send_calls_ms.push_back(BenchNowMs() - start);
    MqttPeer::Message m;
    if (!peer.WaitMessage(m, 5000) || !peer.WaitMessage(m, 5000)) return false;
    out.second_arrival_ms.push_back(BenchNowMs() - start);
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
  printf("QoS 2 chunk pairs on the cloud link, %d pairs each\n", kPairs);
  printf("%-28s %12s %12s %14s\n", "in flight", "p50 ms", "p99 ms", "send p50 ms");
  for (int window : {1, 20}) {
    PairTimes t;
    if (!MeasurePairs(broker, window, t)) {
      fprintf(stderr, "measurement with window %d failed\n", window);
      return 1;
    }
    printf("%-28s %12.2f %12.2f %14.2f\n",
           window == 1 ? "1 (reliable 1)" : "20 (reliable 0, link default)",
           BenchPercentile(t.second_arrival_ms, 50), BenchPercentile(t.second_arrival_ms, 99),
           BenchPercentile(t.send_calls_ms, 50));
  }
  return 0;
}
