// platform-sim: the cloud platform on this machine, for demos and tests.
// It runs the REST interface over HTTPS (a certificate made at start), a
// mosquitto broker on a free loopback port (or uses the brokers it is given),
// and one simulated remote DTU per device of its product, in this process
// (sim/platform_fleet.h), each answering on its "update" topic what it is
// sent on its "get" topic. It prints where everything is, then runs until
// Ctrl-C or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "remote/dtu_mqtt_connection.h"
#include "sim/platform_broker.h"
#include "sim/platform_fleet.h"
#include "sim/platform_rest_server.h"

namespace {

constexpr int kDemoDevices = 3;

struct SimOptions {
  int rest_port = 0;
  int mqtt_port = 0;
  bool devices = true;
  int device_count = kDemoDevices;
  int faulty_percent = 0;
  PlatformFleetFaultSpec fault;
  bool fault_given = false;
  std::vector<DtuMqttBroker> brokers;  // empty: a mosquitto of its own
};

void PrintUsage() {
  printf(
      "usage: platform-sim [--rest-port N] [--mqtt-port N] [--no-devices] [--devices N]\n"
      "                    [--faulty P%% --fault silent|error-key KEY|wrong-readback|drop-connection]\n"
      "                    [--broker HOST:PORT[,HOST:PORT...]]\n"
      "  Runs the cloud platform on 127.0.0.1 until Ctrl-C: HTTPS REST (own CA),\n"
      "  an MQTT broker, and one simulated remote DTU per device.\n"
      "  Ports default to free ones.\n"
      "  --devices N   N remote DTUs (1..%d, default %d), each with settings of its own\n"
      "  --faulty P%%   P percent of them (spread over the fleet) have the --fault:\n"
      "                silent (never answers), error-key KEY (ERROR to every line of\n"
      "                KEY), wrong-readback (reads back another mqtt Server than set),\n"
      "                drop-connection (leaves the broker at its 3rd set line, back\n"
      "                1.5 s later, once)\n"
      "  --broker LIST use these brokers instead of a mosquitto of its own; the\n"
      "                devices are spread over them, each falling back on the next\n",
      kPlatformFleetMaxDevices, kDemoDevices);
}

bool ParseCount(const char *text, int low, int high, int &value) {
  char *end = nullptr;
  long v = strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

// "10%" or "10".
bool ParsePercent(const std::string &text, int &value) {
  std::string digits = text;
  if (!digits.empty() && digits.back() == '%') digits.pop_back();
  return !digits.empty() && ParseCount(digits.c_str(), 0, 100, value);
}

// --fault takes one word, error-key a second; false when it does not read.
bool ParseFault(int argc, char **argv, int &i, PlatformFleetFaultSpec &fault) {
  if (i + 1 >= argc) return false;
  const std::string kind = argv[++i];
  if (kind == "silent") fault.kind = PlatformFleetFault::kSilent;
  else if (kind == "wrong-readback") fault.kind = PlatformFleetFault::kWrongReadback;
  else if (kind == "drop-connection") fault.kind = PlatformFleetFault::kDropConnection;
  else if (kind == "error-key" && i + 1 < argc && argv[i + 1][0] != '-') {
    fault.kind = PlatformFleetFault::kErrorKey;
    fault.key = argv[++i];
  } else {
    return false;
  }
  return true;
}

// The rules between options; false with a message on stderr.
bool CheckOptions(const SimOptions &options) {
  const char *problem = nullptr;
  if (options.faulty_percent > 0 && !options.fault_given) problem = "--faulty needs --fault";
  else if (options.fault_given && options.faulty_percent == 0) problem = "--fault needs --faulty P%";
  else if (!options.brokers.empty() && options.mqtt_port != 0) problem = "--broker and --mqtt-port exclude each other";
  if (problem == nullptr) return true;
  fprintf(stderr, "platform-sim: %s (see --help)\n", problem);
  return false;
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
    } else if (arg == "--devices" && has_value &&
               ParseCount(argv[i + 1], 1, kPlatformFleetMaxDevices, options.device_count)) {
      ++i;
    } else if (arg == "--faulty" && has_value && ParsePercent(argv[i + 1], options.faulty_percent)) {
      ++i;
    } else if (arg == "--fault" && ParseFault(argc, argv, i, options.fault)) {
      options.fault_given = true;
    } else if (arg == "--broker" && has_value) {
      std::string error;
      if (!DtuMqttParseBrokers(argv[++i], 1883, options.brokers, error)) {
        fprintf(stderr, "platform-sim: --broker: %s\n", error.c_str());
        return 1;
      }
    } else {
      fprintf(stderr, "platform-sim: bad argument '%s' (see --help)\n", arg.c_str());
      return 1;
    }
  }
  return CheckOptions(options) ? 0 : 1;
}

void PrintWhereEverythingIs(const PlatformRestServer &rest, const std::vector<DtuMqttBroker> &brokers,
                            const PlatformRestConfig &config, PlatformFleet &fleet) {
  printf("platform-sim running (Ctrl-C stops it)\n");
  printf("  REST base URL : %s\n", rest.ApiBase().c_str());
  printf("  CA file       : %s\n", rest.CaFile().c_str());
  printf("  MQTT broker   : %s:%d\n", brokers[0].host.c_str(), brokers[0].port);
  if (brokers.size() > 1) printf("  MQTT brokers  : %s\n", DtuMqttBrokersText(brokers).c_str());
  for (const PlatformSimAccount &a : config.accounts) {
    printf("  account       : %s / %s\n", a.username.c_str(), a.password.c_str());
  }
  for (const PlatformSimProduct &p : config.products) {
    printf("  product       : key %s, secret %s\n", p.key.c_str(), p.secret.c_str());
    for (const PlatformSimDevice &d : p.devices) printf("    device      : %s (%s)\n", d.imei.c_str(), d.name.c_str());
  }
  for (size_t i = 0; i < fleet.Size(); ++i) {
    PlatformFleetDevice &device = fleet.Device(i);
    if (device.Fault().kind == PlatformFleetFault::kNone) continue;
    printf("  faulty        : %s (%s)\n", device.Imei().c_str(), PlatformFleetFaultText(device.Fault()).c_str());
  }
  printf("  remote DTUs   : %zu answering on their topics\n", fleet.Size());
  printf("To point the tool and varnokctl at this platform:\n");
  // Several brokers go into the host as a list, which varnokctl's fleet
  // apply reads (the window and the bridge take a single host).
  const std::string host = brokers.size() > 1 ? DtuMqttBrokersText(brokers) : brokers[0].host;
  printf("  export VARNOK_API_BASE=%s VARNOK_CA_FILE=%s VARNOK_MQTT_HOST=%s VARNOK_MQTT_PORT=%d\n",
         rest.ApiBase().c_str(), rest.CaFile().c_str(), host.c_str(), brokers[0].port);
  fflush(stdout);
}

bool StartFleet(const PlatformRestConfig &config, const SimOptions &options,
                const std::vector<DtuMqttBroker> &brokers, PlatformFleet &fleet) {
  const PlatformSimProduct &product = config.products.front();
  PlatformFleetConfig fleet_config;
  fleet_config.product_key = product.key;
  fleet_config.product_secret = product.secret;
  fleet_config.devices = product.devices;
  fleet_config.brokers = brokers;
  fleet_config.faulty_percent = options.faulty_percent;
  fleet_config.fault = options.fault;
  std::string error;
  if (fleet.Start(fleet_config, error)) return true;
  fprintf(stderr, "platform-sim: %s\n", error.c_str());
  return false;
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
  config.products.front().devices = PlatformFleetDeviceList(options.device_count);
  MosquittoBroker broker;
  std::vector<DtuMqttBroker> brokers = options.brokers;
  if (brokers.empty()) {
    if (!broker.Start(options.mqtt_port)) {
      fprintf(stderr, "platform-sim: broker: %s\n", broker.ErrorText().c_str());
      return 1;
    }
    brokers.push_back({broker.Host(), broker.Port()});
  }
  PlatformRestServer rest;
  std::string error;
  if (!rest.Start(config, error, options.rest_port)) {
    fprintf(stderr, "platform-sim: REST server: %s\n", error.c_str());
    return 1;
  }
  PlatformFleet fleet;
  if (options.devices && !StartFleet(config, options, brokers, fleet)) return 1;
  PrintWhereEverythingIs(rest, brokers, config, fleet);

  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  printf("platform-sim: stopping (%s)\n", strsignal(signal_number));
  fleet.Stop();
  rest.Stop();
  broker.Stop();
  return 0;
}
