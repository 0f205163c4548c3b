#include "cli/fleet_progress.h"

#include <unistd.h>

#include <cstdio>

FleetProgressLine::FleetProgressLine() : enabled_(isatty(STDERR_FILENO) == 1) { clock_.start(); }

FleetProgressLine::~FleetProgressLine() { Clear(); }

void FleetProgressLine::Show(int done, int failed, int in_flight, int total) {
  if (!enabled_) return;
  const double minutes = clock_.elapsed() / 60000.0;
  const double rate = minutes > 0 ? done / minutes : 0;
  char left[32] = "?";
  if (rate > 0) {
    const int seconds = static_cast<int>((total - done) / rate * 60.0 + 0.5);
    std::snprintf(left, sizeof left, "%dm%02ds", seconds / 60, seconds % 60);
  }
  std::fprintf(stderr, "\r%d of %d done, %d failed, %d in flight, %.1f devices/min, %s left\033[K", done, total,
               failed, in_flight, rate, left);
  std::fflush(stderr);
  shown_ = true;
}

void FleetProgressLine::Clear() {
  if (!enabled_ || !shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
}
