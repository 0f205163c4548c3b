// End to end: `varnokctl backup` of every page from a simulated device paced
// at 115200 baud, whose DL/T 645 page holds a Parse rule (so its rule items
// are read too).
//
// Total time against the floor: for every line the device received, 50 ms
// (the command port's pause after each write) plus the line's wire time,
// plus the waits the pages themselves specify (a DL/T 645 rule item query
// is followed by 200 ms). What is left over is time spent waiting on
// nothing. Target: median <= 1.15 x floor.
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

double LineFloorMs(const std::string &line) {
  const bool item = line.rfind("AT+ZEVCFG=get|dlt645-meter-rule-item|", 0) == 0;
  return (item ? 200.0 : 50.0) + static_cast<double>(line.size()) * 10.0 * 1000.0 / kBaud;
}

}  // namespace

int main() {
  DtuSimOptions options;
  options.baud = kBaud;
  DtuSim sim(options);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "bench_provision_backup: %s\n", error.c_str());
    return 1;
  }
  sim.Store().Set("dlt645-meter-rule", "ch:2/rule:1/paramCnt:2");
  sim.Store().Set("dlt645-meter-rule-item", "ch:2/paramId:1/tag:Ua/di:02010100/dataType:3/dataEndian:0/dataRule:0/rate:1");
  sim.Store().Set("dlt645-meter-rule-item", "ch:2/paramId:2/tag:Ia/di:02020100/dataType:3/dataEndian:0/dataRule:1/rate:10");
  TempDir dir;
  const std::string file = dir.File("backup.txt");
  std::vector<double> totals;
  for (int run = 0; run < kRuns; ++run) {
    sim.ClearReceived();
    const double start = BenchNowMs();
    const int rc = BenchRunVarnokctl({"backup", "-p", sim.SlavePath(), file});
    totals.push_back(BenchNowMs() - start);
    if (rc != 0) {
      std::fprintf(stderr, "bench_provision_backup: varnokctl backup exited %d\n", rc);
      return 1;
    }
  }
  const double median = BenchPercentile(totals, 50);
  double floor_ms = 0;
  const std::vector<std::string> lines = sim.ReceivedLines();
  for (const std::string &line : lines) floor_ms += LineFloorMs(line);
  std::printf("backup of every page from one device at %d baud: %zu lines, median %.0f ms\n", kBaud, lines.size(),
              median);
  std::printf("floor (50 ms + wire time per line, page waits) = %.0f ms; median - floor = %.0f ms; "
              "median / floor = %.3f (target <= 1.15): %s\n",
              floor_ms, median - floor_ms, median / floor_ms, median <= 1.15 * floor_ms ? "met" : "NOT met");
  return 0;
}
