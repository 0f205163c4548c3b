// The receive window fed with many short answers through the real dispatch
// path (DtuCmdRecvProcess -> page -> view). Appending must stay linear: the
// 100,000-chunk run may take at most 2.2 times the 50,000-chunk run, and at
// most 2 s. Timed twice: the appends alone (one repaint at the end), and with
// the event loop run after every 100 chunks, which repaints what is on view
// as the running program does.
// On a shared machine the wall time swings with the load, so the verdict
// uses the CPU time of this thread; both are printed.
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <string>

#include "app/views/cmd_port/cmd_port_view.h"
#include "base/dtu_log.h"
#include "bench/bench_gui_app.h"
#include "bench/bench_timing.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/cmd_port/dtu_cmd_port_page.h"

namespace {

using Timing = BenchTiming;

Timing Feed(int chunks, int paint_every) {
  DtuCmdPortPage page;
  CmdPortView view(&page);
  view.resize(800, 600);
  view.show();
  QCoreApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  const double cpu_start = BenchThreadCpuMs();
  for (int i = 0; i < chunks; ++i) {
    std::string chunk = "rx-line " + std::to_string(i);
    DtuCmdRecvProcess(chunk.data(), static_cast<int>(chunk.size()));
    if (paint_every > 0 && (i + 1) % paint_every == 0) {
      QCoreApplication::processEvents();
    }
  }
  QCoreApplication::processEvents();
  Timing timing{static_cast<double>(timer.nsecsElapsed()) / 1e6, BenchThreadCpuMs() - cpu_start};
  if (view.ReceivedLineCount() != CmdPortView::kReceiveMaxLines) {
    std::printf("unexpected line count %d\n", view.ReceivedLineCount());
  }
  return timing;
}

bool Run(const char *label, int paint_every) {
  const Timing half = Feed(50000, paint_every);
  const Timing full = Feed(100000, paint_every);
  const double ratio = full.cpu_ms / half.cpu_ms;
  const bool ok = ratio <= 2.2 && full.cpu_ms <= 2000.0;
  std::printf("%s: 50,000 chunks %.1f ms (wall %.1f), 100,000 chunks %.1f ms (wall %.1f), ratio %.2f -> %s\n",
              label, half.cpu_ms, half.wall_ms, full.cpu_ms, full.wall_ms, ratio, ok ? "met" : "MISSED");
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  BenchGuiApp app(argc, argv);
  bool ok = Run("appends alone", 0);
  ok = Run("event loop every 100 chunks", 100) && ok;
  return ok ? 0 : 1;
}
