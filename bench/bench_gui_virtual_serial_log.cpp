// The Virtual Serial page's exchange log fed through the real page and view
// (VirtualSerialTool::AppendLog -> VirtualSerialView), as a chatty remote
// device fills it. It keeps the newest 20,000 lines, so appending must stay
// linear: the 100,000-line run may take at most 2.2 times the 50,000-line
// run, and at most 4 s of this thread's CPU time (wall time is printed too).
// The event loop runs after every 100 lines, which repaints what is on view.
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <string>

#include "app/views/virtual_serial/virtual_serial_view.h"
#include "base/dtu_log.h"
#include "bench/bench_gui_app.h"
#include "bench/bench_timing.h"
#include "pages/virtual_serial/virtual_serial_tool.h"

namespace {

using Timing = BenchTiming;

Timing Feed(int lines) {
  VirtualSerialTool tool;
  VirtualSerialView view(&tool);
  view.resize(1000, 640);
  view.show();
  QCoreApplication::processEvents();
  const std::string data = "\r\nimei : 860000000000001\r\n\r\nOK\r\n";
  QElapsedTimer timer;
  timer.start();
  const double cpu_start = BenchThreadCpuMs();
  for (int i = 0; i < lines; ++i) {
    if (i % 2 == 0) {
      tool.AppendLog("[Local-Rx]# : 32.");
    } else {
      tool.AppendLog("[Local Tx]# AT.", data.data(), static_cast<int>(data.size()));
    }
    if ((i + 1) % 100 == 0) QCoreApplication::processEvents();
  }
  QCoreApplication::processEvents();
  return {static_cast<double>(timer.nsecsElapsed()) / 1e6, BenchThreadCpuMs() - cpu_start};
}

}  // namespace

int main(int argc, char **argv) {
  BenchGuiApp app(argc, argv);
  const Timing half = Feed(50000);
  const Timing full = Feed(100000);
  const double ratio = full.cpu_ms / half.cpu_ms;
  const bool ok = ratio <= 2.2 && full.cpu_ms <= 4000.0;
  std::printf("virtual serial log: 50,000 lines %.1f ms (wall %.1f), 100,000 lines %.1f ms (wall %.1f), "
              "ratio %.2f -> %s\n",
              half.cpu_ms, half.wall_ms, full.cpu_ms, full.wall_ms, ratio, ok ? "met" : "MISSED");
  return ok ? 0 : 1;
}
