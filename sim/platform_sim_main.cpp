// platform-sim: the cloud platform on this machine, for demos and tests.
// It runs the REST interface over HTTPS (a certificate made at start), a
// mosquitto broker on a free loopback port, and one simulated remote DTU per
// device of its products, each answering on its "update" topic what it is
// sent on its "get" topic. It prints where everything is, then runs until
// Ctrl-C or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sim/platform_remote_device.h"
#include "sim/platform_rest_server.h"
#include "sim/platform_broker.h"

namespace {

struct SimOptions {
  int rest_port = 0;
  int mqtt_port = 0;
  bool devices = true;
};

void PrintUsage() {
  printf(
      "usage: platform-sim [--rest-port N] [--mqtt-port N] [--no-devices]\n"
      "  Runs the cloud platform on 127.0.0.1 until Ctrl-C: HTTPS REST (own CA),\n"
      "  an MQTT broker, and one simulated remote DTU per device.\n"
      "  Ports default to free ones.\n");
}

bool ParsePort(const char *text, int &port) {
  char *end = nullptr;
  long value = strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 65535) return false;
  port = static_cast<int>(value);
  return true;
}

// 0 to run, 1 on bad arguments, 2 after --help.
int ParseOptions(int argc, char **argv, SimOptions &options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      PrintUsage();
      return 2;
    } else if (arg == "--rest-port" && has_value && ParsePort(argv[i + 1], options.rest_port)) {
      ++i;
    } else if (arg == "--mqtt-port" && has_value && ParsePort(argv[i + 1], options.mqtt_port)) {
      ++i;
    } else if (arg == "--no-devices") {
      options.devices = false;
    } else {
      fprintf(stderr, "platform-sim: bad argument '%s' (see --help)\n", arg.c_str());
      return 1;
    }
  }
  return 0;
}

void PrintWhereEverythingIs(const PlatformRestServer &rest, const MosquittoBroker &broker,
                            const PlatformRestConfig &config,
                            const std::vector<std::unique_ptr<PlatformRemoteDevice>> &devices) {
  printf("platform-sim running (Ctrl-C stops it)\n");
  printf("  REST base URL : %s\n", rest.ApiBase().c_str());
  printf("  CA file       : %s\n", rest.CaFile().c_str());
  printf("  MQTT broker   : %s:%d\n", broker.Host().c_str(), broker.Port());
  for (const PlatformSimAccount &a : config.accounts) {
    printf("  account       : %s / %s\n", a.username.c_str(), a.password.c_str());
  }
  for (const PlatformSimProduct &p : config.products) {
    printf("  product       : key %s, secret %s\n", p.key.c_str(), p.secret.c_str());
    for (const PlatformSimDevice &d : p.devices) printf("    device      : %s (%s)\n", d.imei.c_str(), d.name.c_str());
  }
  printf("  remote DTUs   : %zu answering on their topics\n", devices.size());
  printf("To point the tool and varnokctl at this platform:\n");
  printf("  export VARNOK_API_BASE=%s VARNOK_CA_FILE=%s VARNOK_MQTT_HOST=%s VARNOK_MQTT_PORT=%d\n",
         rest.ApiBase().c_str(), rest.CaFile().c_str(), broker.Host().c_str(), broker.Port());
  fflush(stdout);
}

bool StartDevices(const PlatformRestConfig &config, const MosquittoBroker &broker,
                  std::vector<std::unique_ptr<PlatformRemoteDevice>> &devices) {
  for (const PlatformSimProduct &product : config.products) {
    for (const PlatformSimDevice &device : product.devices) {
      auto remote = std::make_unique<PlatformRemoteDevice>();
      std::string error;
      if (!remote->Start(broker.Host(), broker.Port(), product.key, device.imei, error)) {
        fprintf(stderr, "platform-sim: device %s: %s\n", device.imei.c_str(), error.c_str());
        return false;
      }
      devices.push_back(std::move(remote));
    }
  }
  return true;
}

// Blocks the stop signals in every thread started later; main waits for them.
sigset_t BlockStopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  return set;
}

}  // namespace

int main(int argc, char **argv) {
  SimOptions options;
  if (int r = ParseOptions(argc, argv, options); r != 0) return r == 2 ? 0 : 2;
  sigset_t stop_signals = BlockStopSignals();

  PlatformRestConfig config = PlatformDemoConfig();
  MosquittoBroker broker;
  if (!broker.Start(options.mqtt_port)) {
    fprintf(stderr, "platform-sim: broker: %s\n", broker.ErrorText().c_str());
    return 1;
  }
  PlatformRestServer rest;
  std::string error;
  if (!rest.Start(config, error, options.rest_port)) {
    fprintf(stderr, "platform-sim: REST server: %s\n", error.c_str());
    return 1;
  }
  std::vector<std::unique_ptr<PlatformRemoteDevice>> devices;
  if (options.devices && !StartDevices(config, broker, devices)) return 1;
  PrintWhereEverythingIs(rest, broker, config, devices);

  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  printf("platform-sim: stopping (%s)\n", strsignal(signal_number));
  devices.clear();
  rest.Stop();
  broker.Stop();
  return 0;
}
