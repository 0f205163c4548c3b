// The receive window fed with many short answers through the real dispatch
// path (DtuCmdRecvProcess -> page -> view). Appending must stay linear: the
// 100,000-chunk run may take at most 2.2 times the 50,000-chunk run, and at
// most 2 s. Two ways of drawing are timed: every chunk drawn as it arrives
// (the worst case) and chunks drawn together as the view's timer does.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

#include "app/views/cmd_port_view.h"
#include "base/dtu_log.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/dtu_cmd_port_page.h"

namespace {

double Feed(int chunks, int flush_every) {
  DtuCmdPortPage page;
  CmdPortView view(&page);
  view.resize(800, 600);
  view.show();
  QCoreApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < chunks; ++i) {
    std::string chunk = "rx-line " + std::to_string(i);
    DtuCmdRecvProcess(chunk.data(), static_cast<int>(chunk.size()));
    if ((i + 1) % flush_every == 0) {
      view.FlushReceived();
    }
  }
  view.FlushReceived();
  QCoreApplication::processEvents();
  double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  if (view.ReceivedLineCount() != CmdPortView::kReceiveMaxLines) {
    std::printf("unexpected line count %d\n", view.ReceivedLineCount());
  }
  return ms;
}

bool Run(const char *label, int flush_every) {
  const double half = Feed(50000, flush_every);
  const double full = Feed(100000, flush_every);
  const double ratio = full / half;
  const bool ok = ratio <= 2.2 && full <= 2000.0;
  std::printf("%s: 50,000 chunks %.1f ms, 100,000 chunks %.1f ms, ratio %.2f -> %s\n", label, half, full, ratio,
              ok ? "met" : "MISSED");
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  DtuLogSetPath(dir.filePath("log.txt").toStdString());
  bool ok = Run("each chunk drawn", 1);
  ok = Run("drawn every 100 chunks", 100) && ok;
  return ok ? 0 : 1;
}
