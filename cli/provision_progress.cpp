#include "cli/provision_progress.h"

#include <unistd.h>

#include <cstdio>

ProvisionProgressLine::ProvisionProgressLine() : enabled_(isatty(STDERR_FILENO) == 1) { clock_.start(); }

ProvisionProgressLine::~ProvisionProgressLine() { Clear(); }

void ProvisionProgressLine::Show(int device, int devices, int page, int pages, const std::string &name) {
  char text[160];
  std::snprintf(text, sizeof text, "device %d of %d, page %d of %d (%s), %.1f s", device, devices, page, pages,
                name.c_str(), clock_.elapsed() / 1000.0);
  Write(text);
}

void ProvisionProgressLine::ShowParallel(int devices_done, int devices, int pages_started, int pages) {
  char text[160];
  std::snprintf(text, sizeof text, "%d of %d devices done, page %d of %d started, %.1f s", devices_done, devices,
                pages_started, pages, clock_.elapsed() / 1000.0);
  Write(text);
}

void ProvisionProgressLine::Write(const std::string &text) {
  if (!enabled_) return;
  // \r and "erase to end of line": a shorter line leaves nothing behind.
  std::fprintf(stderr, "\r%s\033[K", text.c_str());
  std::fflush(stderr);
  shown_ = true;
}

void ProvisionProgressLine::Clear() {
  if (!enabled_ || !shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
}
