// varnokctl bridge -p PORT --product-key K --product-secret S --device IMEI
//                  [--user U] [--password P] [--config FILE] [--inflight N]
//                  [line options]
// Logs in to the platform, connects the cloud link on the device's topics and
// bridges the local port both ways until Ctrl-C: what the port receives is
// published to the device, what the device publishes is written to the port.
// Traffic lines ("[Local-Tx]# : n." / "[Local-Rx]# : n.") go to stderr. A
// link the broker drops is connected again by itself (cli/cloud_reconnector.h).
#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/dtu_lang.h"
#include "cli/cli_port_options.h"
#include "cli/cli_port_session.h"
#include "cli/cloud_command.h"
#include "cli/cloud_reconnector.h"
#include "cli/verb_registry.h"
#include "config/dtu_config.h"
#include "remote/dtu_remote_bridge.h"
#include "remote/platform_client.h"
#include "remote/platform_settings.h"
#include "remote/tam_mqtt_client_tuning.h"

namespace {

volatile std::sig_atomic_t g_stop_signal = 0;

void OnStopSignal(int signal_number) { g_stop_signal = signal_number; }

struct BridgeOptions {
  CliPortOptions port;
  std::string config = kDtuConfigFileName;
  std::map<std::string, std::string> account;  // iotInfo key -> value
  std::string device;
  int inflight = kTamMqttDefaultInflightWindow;
};

const char kBridgeUsage[] =
    "usage: varnokctl bridge -p PORT --product-key K --product-secret S --device IMEI\n"
    "                        [--user U] [--password P] [--config FILE] [--inflight N] [options]\n"
    "  Bridges the local port to the remote device through the cloud platform until\n"
    "  Ctrl-C. --user/--password (and a missing product key or secret) default to the\n"
    "  [iotInfo] section of the configuration file. --inflight N (1..20, default 20):\n"
    "  QoS 2 messages the cloud link keeps in flight.\n";

// Takes the bridge's own options out of argv; the rest are port options.
bool SplitOptions(int argc, char **argv, BridgeOptions &o, std::vector<char *> &rest,
                  std::string &error) {
  static const std::map<std::string, std::string> kAccountOptions = {
      {"--user", "username"}, {"--password", "password"},
      {"--product-key", "productKey"}, {"--product-secret", "productSecret"}};
  rest.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool ours = kAccountOptions.count(arg) || arg == "--device" || arg == "--config" ||
                arg == "--inflight";
    if (!ours) {
      rest.push_back(argv[i]);
      continue;
    }
    if (i + 1 >= argc) {
      error = "option " + arg + " needs a value";
      return false;
    }
    std::string value = argv[++i];
    if (arg == "--device") o.device = value;
    else if (arg == "--config") o.config = value;
    else if (arg == "--inflight") o.inflight = std::atoi(value.c_str());
    else o.account[kAccountOptions.at(arg)] = value;
  }
  if (o.inflight < 1 || o.inflight > kTamMqttDefaultInflightWindow) {
    error = "--inflight takes 1..20";
    return false;
  }
  return true;
}

bool ParseBridgeOptions(int argc, char **argv, BridgeOptions &o, std::string &error) {
  std::vector<char *> rest;
  if (!SplitOptions(argc, argv, o, rest, error)) return false;
  if (!ParseCliPortOptions(static_cast<int>(rest.size()), rest.data(), &o.port, &error)) return false;
  if (!o.port.operands.empty()) {
    error = "unexpected argument " + o.port.operands[0];
    return false;
  }
  std::string problem;
  if (!CloudConfigUsable(o.config, problem)) {
    error = "cannot read " + problem;
    return false;
  }
  CloudFillAccountFromFile(o.config, o.account);
  for (const char *key : {"username", "password", "productKey", "productSecret"}) {
    if (!o.account.count(key)) {
      error = std::string("no ") + key + ": give it as an option or fill [iotInfo] in " + o.config;
      return false;
    }
  }
  if (o.device.empty()) error = "give --device IMEI";
  return error.empty();
}

// Connects the cloud link for the device; the port must already be in remote
// mode with the bridge.
bool ConnectCloud(DtuRemoteBridge &bridge, const BridgeOptions &o, const PlatformSettings &settings) {
  tam_mqtt_client_set_inflight_window(o.inflight);
  DtuRemoteLinkSettings link;
  link.host = settings.mqtt_host;
  link.port = settings.mqtt_port;
  link.product_key = o.account.at("productKey");
  link.product_secret = o.account.at("productSecret");
  link.device_id = o.device;
  bool ok = bridge.Connect(link) == 0;
  std::fprintf(stderr, "varnokctl bridge: %s (%s:%d, device %s)\n",
               DtuLangText(ok ? DtuTextId::kConnectSucceeded : DtuTextId::kConnectFailed),
               settings.mqtt_host.c_str(), settings.mqtt_port, o.device.c_str());
  return ok;
}

// Runs the event loop until a stop signal or the loss of the local port.
void RunUntilStopped(CliPortSession &session) {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGHUP, OnStopSignal);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [] {
    if (g_stop_signal != 0) QCoreApplication::quit();
  });
  poll.start(50);
  QObject::connect(&session, &CliPortSession::PortLost, QCoreApplication::instance(),
                   &QCoreApplication::quit);
  QCoreApplication::exec();
}

int RunBridge(int argc, char **argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("%s%s", kBridgeUsage, CliPortOptionsHelp());
    return kExitOk;
  }
  BridgeOptions o;
  std::string error;
  if (!ParseBridgeOptions(argc, argv, o, error)) {
    std::fprintf(stderr, "varnokctl bridge: %s\n%s", error.c_str(), kBridgeUsage);
    return kExitUsage;
  }
  PlatformSettings settings = PlatformSettingsLoad(o.config);
  PlatformSettingsApplyTls(settings);
  PlatformClient client(settings.api_base);
  if (client.Login(o.account["username"], o.account["password"]) != PLATFORM_OK) {
    std::fprintf(stderr, "varnokctl bridge: login to %s failed (see log.txt)\n",
                 settings.api_base.c_str());
    return kExitCloudFailed;
  }
  CliPortSession session;
  int result = session.Open(o.port.serial);
  if (result == kExitOk) {
    auto bridge = std::make_shared<DtuRemoteBridge>();
    bridge->SetTrafficLog([](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    session.Port().EnterRemoteMode(bridge);
    if (ConnectCloud(*bridge, o, settings)) {
      CloudReconnector reconnector([&] { return ConnectCloud(*bridge, o, settings); }, *bridge);
      RunUntilStopped(session);
      result = session.Lost() ? kExitPortLost : kExitOk;
      bridge->Disconnect();
      std::fprintf(stderr, "varnokctl bridge: %s\n", DtuLangText(DtuTextId::kDisconnected));
    } else {
      result = kExitCloudFailed;
    }
    session.Port().LeaveRemoteMode();
    bridge->SetTrafficLog(nullptr);
  }
  client.Logout();
  return result;
}

VarnokVerbRegistrar bridge_verb("bridge", "bridge the local port to a remote device through the cloud",
                                RunBridge);

}  // namespace
