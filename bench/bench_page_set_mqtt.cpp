// `set mqtt` as varnokctl runs it (the page's Read of 10 lines, then its Set
// of 10 lines), in-process against the simulated device paced at 115200 baud.
// The action ends on the outcome of its last line, with no settle time. The
// floor is 19 x 50 ms (the sender's pause between commands) plus the wire
// time of the last line and its answer; target: median at most 1.05 x floor.
#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/dtu_message.h"
#include "bench_timing.h"
#include "link/dtu_cmd_port.h"
#include "pages/kit/dtu_main_thread_dispatcher.h"
#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "sim/dtu_sim_line.h"

namespace {

constexpr int kBaud = 115200;
constexpr int kRuns = 7;

double WireMs(size_t bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud; }

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  DtuSetMessageSink([](const std::string &) {});  // the success messages
  DtuSimOptions options;
  options.baud = kBaud;
  DtuSim sim(options);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "bench_page_set_mqtt: %s\n", error.c_str());
    return 1;
  }
  DtuMainThreadDispatcher dispatcher;
  DtuCmdPort port;
  dispatcher.AttachTo(port);
  DtuSerialSettings settings;
  settings.port = sim.SlavePath();
  if (!port.DtuCmdPortOpen(settings, error)) {
    std::fprintf(stderr, "bench_page_set_mqtt: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<DtuPage> page = DtuCreatePage("mqtt");
  std::vector<double> totals;
  double floor_ms = 0;
  for (int run = 0; run < kRuns; ++run) {
    std::string field_error;
    page->SetField("Server", "broker-" + std::to_string(run), field_error);
    sim.ClearReceived();
    const double start = BenchNowMs();
    const DtuPageRun read = DtuPageRunRead(*page, 10000);
    page->SetField("Server", "broker-" + std::to_string(run), field_error);
    const DtuPageRun set = read == DtuPageRun::kDone ? DtuPageRunSet(*page, 10000) : read;
    const double total = BenchNowMs() - start;
    if (set != DtuPageRun::kDone) {
      std::fprintf(stderr, "bench_page_set_mqtt: run %d did not complete (%d)\n", run, static_cast<int>(set));
      return 1;
    }
    totals.push_back(total);
    const std::vector<std::string> lines = sim.ReceivedLines();
    const std::string &last = lines.back();
    std::string value;
    page->GetField("CleanSession", value);
    floor_ms = 19 * 50.0 + WireMs(last.size()) + WireMs(DtuSimKeyAnswer("mqtt-cleansession", value).size());
  }
  port.Close();
  sim.Stop();
  const double median = BenchPercentile(totals, 50);
  std::printf("set mqtt (read 10 + set 10 lines) at %d baud: median %.1f ms, best %.1f ms, worst %.1f ms\n", kBaud,
              median, BenchPercentile(totals, 0), BenchPercentile(totals, 100));
  std::printf("floor 19 x 50 ms + wire time of the last line and its answer = %.1f ms; median / floor = %.3f "
              "(target <= 1.05): %s\n",
              floor_ms, median / floor_ms, median <= 1.05 * floor_ms ? "met" : "NOT met");
  return 0;
}
