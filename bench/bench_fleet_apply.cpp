// End to end: `varnokctl apply --cloud` of a full configuration file (every
// page) to simulated remote devices through a real mosquitto, the platform's
// REST server and its fleet running in this program.
//
// One device over the broker, then 100 devices with --max-inflight 100:
// total time against one device's (target <= 1.3 x), the peak memory of
// varnokctl and its worker processes (target <= 1.5 GiB; RSS summed over the
// processes, which counts the shared libraries once per process, and PSS,
// which shares them out), and devices per minute. Then 500 devices, 100 at a
// time (target <= 6 x one device).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "bench_varnokctl.h"
#include "sim/dtu_sim.h"
#include "sim/platform_broker.h"
#include "sim/platform_fleet.h"
#include "sim/platform_rest_server.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kFleetSize = 500;
constexpr int kInflight = 100;
constexpr double kSampleMs = 500;

struct Memory {
  double rss_mib = 0;
  double pss_mib = 0;
};

// A /proc field of one process in kB ("VmRSS:", "Pss:"); 0 when gone.
double ProcKb(const std::string &path, const std::string &field) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, field.size(), field) == 0) return std::atof(line.c_str() + field.size());
  }
  return 0;
}

void Descendants(pid_t pid, std::vector<pid_t> &out) {
  out.push_back(pid);
  std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  pid_t child;
  while (children >> child) Descendants(child, out);
}

Memory TreeMemory(pid_t root) {
  std::vector<pid_t> pids;
  Descendants(root, pids);
  Memory m;
  for (pid_t p : pids) {
    const std::string dir = "/proc/" + std::to_string(p);
    m.rss_mib += ProcKb(dir + "/status", "VmRSS:") / 1024.0;
    m.pss_mib += ProcKb(dir + "/smaps_rollup", "Pss:") / 1024.0;
  }
  return m;
}

struct Run {
  double ms = -1;
  Memory peak;
  int exit_code = -1;
};

// varnokctl with `args`, its output to /dev/null, sampling the memory of its
// process tree every 500 ms (reading /proc of a hundred processes costs CPU
// the run itself needs: more often slows what is measured).
Run RunSampled(const std::vector<std::string> &args) {
  Run run;
  const double start = BenchNowMs();
  const pid_t pid = BenchSpawnVarnokctl(args);
  if (pid < 0) return run;
  int status = 0;
  double next_sample = start + kSampleMs;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (BenchNowMs() >= next_sample) {
      const Memory now = TreeMemory(pid);
      if (now.rss_mib > run.peak.rss_mib) run.peak.rss_mib = now.rss_mib;
      if (now.pss_mib > run.peak.pss_mib) run.peak.pss_mib = now.pss_mib;
      next_sample = BenchNowMs() + kSampleMs;
    }
    usleep(20000);
  }
  run.ms = BenchNowMs() - start;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The devices 1..count of the fleet as --device arguments.
std::vector<std::string> DeviceArgs(const std::vector<PlatformSimDevice> &devices, int count) {
  std::vector<std::string> args = {"--device"};
  for (int i = 0; i < count; ++i) args.push_back(devices[static_cast<size_t>(i)].imei);
  return args;
}

Run Apply(const std::string &file, const std::vector<PlatformSimDevice> &devices, int count, int offset) {
  std::vector<PlatformSimDevice> chosen(devices.begin() + offset, devices.begin() + offset + count);
  std::vector<std::string> args = {"apply", "--cloud", file, "--max-inflight", std::to_string(kInflight)};
  const std::vector<std::string> device_args = DeviceArgs(chosen, count);
  args.insert(args.end(), device_args.begin(), device_args.end());
  return RunSampled(args);
}

bool Report(const char *what, const Run &run) {
  if (run.exit_code != 0) {
    std::fprintf(stderr, "bench_fleet_apply: %s: varnokctl exited %d\n", what, run.exit_code);
    return false;
  }
  return true;
}

}  // namespace

int main() {
  TempDir dir;
  const std::string file = dir.File("full.txt");
  {
    DtuSim source;
    std::string error;
    if (!source.Start(&error) || BenchRunVarnokctl({"backup", "-p", source.SlavePath(), file}) != 0) {
      std::fprintf(stderr, "bench_fleet_apply: backup of the source device failed %s\n", error.c_str());
      return 1;
    }
  }
  std::ofstream(file, std::ios::app | std::ios::binary) << PlatformDemoIotInfoSection();

  MosquittoBroker broker;
  PlatformRestServer rest;
  PlatformRestConfig config = PlatformDemoConfig();
  config.products.front().devices = PlatformFleetDeviceList(kFleetSize);
  std::string error;
  if (!broker.Start() || !rest.Start(config, error)) {
    std::fprintf(stderr, "bench_fleet_apply: platform: %s %s\n", broker.ErrorText().c_str(), error.c_str());
    return 1;
  }
  PlatformFleet fleet;
  PlatformFleetConfig fleet_config;
  fleet_config.product_key = "pk-demo";
  fleet_config.product_secret = "ps-demo";
  fleet_config.devices = config.products.front().devices;
  fleet_config.brokers = {{broker.Host(), broker.Port()}};
  const double up_start = BenchNowMs();
  if (!fleet.Start(fleet_config, error)) {
    std::fprintf(stderr, "bench_fleet_apply: fleet: %s\n", error.c_str());
    return 1;
  }
  std::printf("%d simulated remote devices up in %.1f s\n", kFleetSize, (BenchNowMs() - up_start) / 1000.0);
  setenv("VARNOK_API_BASE", rest.ApiBase().c_str(), 1);
  setenv("VARNOK_CA_FILE", rest.CaFile().c_str(), 1);
  setenv("VARNOK_MQTT_HOST", broker.Host().c_str(), 1);
  setenv("VARNOK_MQTT_PORT", std::to_string(broker.Port()).c_str(), 1);

  const Run one = Apply(file, fleet_config.devices, 1, 0);
  if (!Report("one device", one)) return 1;
  std::printf("apply --cloud of a full file to one device: %.1f s\n", one.ms / 1000.0);

  const Run hundred = Apply(file, fleet_config.devices, 100, 1);
  if (!Report("100 devices", hundred)) return 1;
  std::printf("100 devices, --max-inflight %d: %.1f s = %.2f x one device (target <= 1.3): %s; %.0f devices/min\n",
              kInflight, hundred.ms / 1000.0, hundred.ms / one.ms, hundred.ms <= 1.3 * one.ms ? "met" : "NOT met",
              100.0 / (hundred.ms / 60000.0));
  std::printf("peak memory of varnokctl and its workers: RSS %.0f MiB, PSS %.0f MiB (target <= 1536 MiB): %s\n",
              hundred.peak.rss_mib, hundred.peak.pss_mib, hundred.peak.rss_mib <= 1536 ? "met" : "NOT met");

  const Run five_hundred = RunSampled(
      {"apply", "--cloud", file, "--all", "--max-inflight", std::to_string(kInflight)});
  if (!Report("500 devices", five_hundred)) return 1;
  std::printf("500 devices, --max-inflight %d: %.1f s = %.2f x one device (target <= 6): %s; %.0f devices/min, "
              "peak RSS %.0f MiB, PSS %.0f MiB\n",
              kInflight, five_hundred.ms / 1000.0, five_hundred.ms / one.ms,
              five_hundred.ms <= 6 * one.ms ? "met" : "NOT met", 500.0 / (five_hundred.ms / 60000.0),
              five_hundred.peak.rss_mib, five_hundred.peak.pss_mib);
  return 0;
}
