// End to end: the seven device-information reads through `varnokctl send`
// (a process of its own, as a user runs it) against the simulated device
// paced at 115200 baud. The floor is 7 x (50 ms + the command's wire time);
// target: median total at most 1.10 x floor.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "bench_varnokctl.h"
#include "sim/dtu_sim.h"

namespace {

const char *const kReads[] = {"AT+ZEVCFG=get|version",       "AT+ZEVCFG=get|imei",
                              "AT+ZEVCFG=get|imsi",          "AT+ZEVCFG=get|iccid",
                              "AT+ZEVCFG=get|remoteCfgInfo", "AT+ZEVCFG=get|logLevel",
                              "AT+ZEVCFG=get|watchdog-switch"};
constexpr int kBaud = 115200;

// Runs varnokctl once; returns the exit code, output to /dev/null.
int RunSevenReads(const std::string &port) {
  std::vector<std::string> args = {"send", "-p", port};
  for (const char *line : kReads) args.push_back(line);
  return BenchRunVarnokctl(args);
}

}  // namespace

int main() {
  const std::string ctl = BenchVarnokctlPath();
  if (access(ctl.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "bench_link_end_to_end: %s not built\n", ctl.c_str());
    return 1;
  }
  double floor_ms = 0;
  for (const char *line : kReads) {
    const double bytes = static_cast<double>(std::string(line).size() + 2);
    floor_ms += 50.0 + bytes * 10.0 * 1000.0 / kBaud;
  }
  DtuSimOptions options;
  options.baud = kBaud;
  DtuSim sim(options);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "bench_link_end_to_end: %s\n", error.c_str());
    return 1;
  }
  std::vector<double> totals;
  for (int run = 0; run < 7; ++run) {
    const double start = BenchNowMs();
    const int rc = RunSevenReads(sim.SlavePath());
    const double total = BenchNowMs() - start;
    if (rc != 0) {
      std::fprintf(stderr, "bench_link_end_to_end: varnokctl exited %d\n", rc);
      return 1;
    }
    totals.push_back(total);
  }
  const double median = BenchPercentile(totals, 50);
  std::printf("seven reads via varnokctl send at %d baud: median %.1f ms, best %.1f ms, worst %.1f ms\n", kBaud,
              median, BenchPercentile(totals, 0), BenchPercentile(totals, 100));
  std::printf("floor 7 x (50 ms + wire time) = %.1f ms; median / floor = %.3f (target <= 1.10): %s\n", floor_ms,
              median / floor_ms, median <= 1.10 * floor_ms ? "met" : "NOT met");
  return 0;
}
