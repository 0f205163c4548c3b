// End to end: `varnokctl apply` of a full configuration file (every page) to
// simulated devices paced at 115200 baud.
//
// One device: total time against the floor, which is, for every line the
// device received, 50 ms (the command port's pause after each write) plus the
// line's wire time, plus the waits the pages themselves specify (a DL/T 645
// rule item query is followed by 200 ms). Target: median <= 1.15 x floor.
// Ten devices with --parallel on this machine: median total <= 1.3 x the
// median of one device.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "bench_varnokctl.h"
#include "sim/dtu_sim.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kBaud = 115200;
constexpr int kRuns = 3;
constexpr int kParallelDevices = 10;

// Lines after which a page's worker waits longer than the port's 50 ms.
struct PacedLine {
  const char *prefix;
  double pause_ms;
};
const PacedLine kPacedLines[] = {{"AT+ZEVCFG=get|dlt645-meter-rule-item|", 200.0}};

double LineFloorMs(const std::string &line) {
  double pause = 50.0;
  for (const PacedLine &p : kPacedLines) {
    if (line.rfind(p.prefix, 0) == 0) pause = p.pause_ms;
  }
  return pause + static_cast<double>(line.size()) * 10.0 * 1000.0 / kBaud;
}

std::unique_ptr<DtuSim> StartSim() {
  DtuSimOptions options;
  options.baud = kBaud;
  auto sim = std::make_unique<DtuSim>(options);
  std::string error;
  if (!sim->Start(&error)) {
    std::fprintf(stderr, "bench_provision_apply: %s\n", error.c_str());
    return nullptr;
  }
  return sim;
}

// Median time of `runs` applies of `file` to `sims` (one after the other
// when one device, else --parallel); -1 when an apply failed.
double MedianApplyMs(const std::vector<DtuSim *> &sims, const std::string &file, int runs) {
  std::vector<std::string> args = {"apply", file};
  for (DtuSim *sim : sims) args.insert(args.end(), {"-p", sim->SlavePath()});
  if (sims.size() > 1) args.push_back("--parallel");
  std::vector<double> totals;
  for (int run = 0; run < runs; ++run) {
    for (DtuSim *sim : sims) sim->ClearReceived();
    const double start = BenchNowMs();
    const int rc = BenchRunVarnokctl(args);
    totals.push_back(BenchNowMs() - start);
    if (rc != 0) {
      std::fprintf(stderr, "bench_provision_apply: varnokctl apply exited %d\n", rc);
      return -1;
    }
  }
  return BenchPercentile(totals, 50);
}

}  // namespace

int main() {
  TempDir dir;
  const std::string file = dir.File("full.txt");
  auto source = StartSim();
  if (!source || BenchRunVarnokctl({"backup", "-p", source->SlavePath(), file}) != 0) {
    std::fprintf(stderr, "bench_provision_apply: backup of the source device failed\n");
    return 1;
  }
  auto one = StartSim();
  if (!one) return 1;
  const double single = MedianApplyMs({one.get()}, file, kRuns);
  if (single < 0) return 1;
  double floor_ms = 0;
  const std::vector<std::string> lines = one->ReceivedLines();
  for (const std::string &line : lines) floor_ms += LineFloorMs(line);
  std::printf("apply of a full file to one device at %d baud: %zu lines, median %.0f ms\n", kBaud, lines.size(),
              single);
  std::printf("floor (50 ms + wire time per line, page waits) = %.0f ms; median / floor = %.3f (target <= 1.15): %s\n",
              floor_ms, single / floor_ms, single <= 1.15 * floor_ms ? "met" : "NOT met");

  std::vector<std::unique_ptr<DtuSim>> owned;
  std::vector<DtuSim *> sims;
  for (int i = 0; i < kParallelDevices; ++i) {
    owned.push_back(StartSim());
    if (!owned.back()) return 1;
    sims.push_back(owned.back().get());
  }
  const double parallel = MedianApplyMs(sims, file, kRuns);
  if (parallel < 0) return 1;
  std::printf("apply --parallel to %d devices: median %.0f ms; / one device = %.3f (target <= 1.3): %s\n",
              kParallelDevices, parallel, parallel / single, parallel <= 1.3 * single ? "met" : "NOT met");
  return 0;
}
