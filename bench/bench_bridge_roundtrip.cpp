// Round trip through `varnokctl bridge`: a command typed on the local
// terminal goes local pty -> bridge -> MQTT -> simulated remote DTU -> MQTT
// -> bridge -> local pty. p50 and p99 over 200 exchanges, against the floor:
// the bridge's 20 ms quiet gap plus the remote leg without the bridge (the
// same command published straight to the device's topic and its answer
// received, i.e. the broker round trip and the device's own answer time).
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "tests/support/varnokctl_bridge_setup.h"
#include "sim/platform_mqtt_peer.h"

namespace {

constexpr int kExchanges = 200;
constexpr int kWarmUp = 10;
constexpr double kQuietGapMs = 20.0;
const std::string kCommand = "AT+ZEVCFG=get|imei\r\n";
const std::string kAnswerEnd = "OK\r\n";

// One exchange on the local terminal; -1 when the answer did not come.
double TerminalExchange(PtyPair &terminal) {
  double start = BenchNowMs();
  terminal.Write(kCommand);
  std::string answer = terminal.ReadUntil(kAnswerEnd, std::chrono::milliseconds(5000));
  if (answer.find(kAnswerEnd) == std::string::npos) return -1;
  return BenchNowMs() - start;
}

// The remote leg alone: publish the command to the device, wait for its answer.
bool MeasureRemoteLeg(VarnokctlBridgeSetup &setup, std::vector<double> &out) {
  MqttPeer peer;
  std::string error;
  if (!peer.Connect(setup.Broker().Host(), setup.Broker().Port(), "bench-remote-leg", error) ||
      !peer.Subscribe(setup.Device().Link().UpdateTopic(), 0)) {
    return false;
  }
  for (int i = 0; i < kExchanges; ++i) {
    double start = BenchNowMs();
    peer.Publish(setup.Device().Link().GetTopic(), kCommand, 2);
    std::string got;
    MqttPeer::Message m;
    while (got.find(kAnswerEnd) == std::string::npos && peer.WaitMessage(m, 5000)) got += m.payload;
    if (got.find(kAnswerEnd) == std::string::npos) return false;
    out.push_back(BenchNowMs() - start);
  }
  return true;
}

bool MeasureBridge(VarnokctlBridgeSetup &setup, std::vector<double> &out) {
  for (int i = 0; i < kWarmUp + kExchanges; ++i) {
    double ms = TerminalExchange(setup.Terminal());
    if (ms < 0) return false;
    if (i >= kWarmUp) out.push_back(ms);
  }
  return true;
}

}  // namespace

int main() {
  VarnokctlBridgeSetup setup;
  std::string error;
  if (!setup.Start(20, error)) {
    fprintf(stderr, "setup: %s\n", error.c_str());
    return 1;
  }
  std::vector<double> bridge20, remote_leg, bridge1;
  if (!MeasureBridge(setup, bridge20)) {
    fprintf(stderr, "bridge exchange failed: %s\n", setup.Bridge().Output().c_str());
    return 1;
  }
  setup.StopBridge();
  if (!setup.StartBridge(1, error) || !MeasureBridge(setup, bridge1)) {
    fprintf(stderr, "bridge (one in flight) failed: %s\n", error.c_str());
    return 1;
  }
  setup.StopBridge();
  if (!MeasureRemoteLeg(setup, remote_leg)) {
    fprintf(stderr, "remote leg failed\n");
    return 1;
  }
  double floor = kQuietGapMs + BenchPercentile(remote_leg, 50);
  printf("Bridge round trip through varnokctl bridge, %d exchanges of \"%s\"\n", kExchanges,
         "AT+ZEVCFG=get|imei");
  printf("  remote leg alone (broker round trip + device)   p50 %7.2f ms  p99 %7.2f ms\n",
         BenchPercentile(remote_leg, 50), BenchPercentile(remote_leg, 99));
  printf("  floor (20 ms quiet gap + remote leg p50)        %7.2f ms\n", floor);
  printf("  bridge, 20 in flight (link default)             p50 %7.2f ms  p99 %7.2f ms\n",
         BenchPercentile(bridge20, 50), BenchPercentile(bridge20, 99));
  printf("  bridge, 1 in flight (reliable 1)                p50 %7.2f ms  p99 %7.2f ms\n",
         BenchPercentile(bridge1, 50), BenchPercentile(bridge1, 99));
  printf("  target p50 <= 30 ms: %s\n", BenchPercentile(bridge20, 50) <= 30.0 ? "met" : "NOT met");
  return 0;
}
