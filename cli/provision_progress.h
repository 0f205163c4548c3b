// The progress line of `apply` and `backup` on a terminal: device i of m,
// page k of n, elapsed time, rewritten in place on standard error. When
// standard error is not a terminal nothing extra is written.
#pragma once

#include <QElapsedTimer>

#include <string>

class ProvisionProgressLine {
 public:
  ProvisionProgressLine();
  ~ProvisionProgressLine();
  bool Enabled() const { return enabled_; }

  void Show(int device, int devices, int page, int pages, const std::string &name);
  // Parallel work: how many pages of all devices have started.
  void ShowParallel(int devices_done, int devices, int pages_started, int pages);
  // Removes the line (before other output, and at the end).
  void Clear();

 private:
  void Write(const std::string &text);

  bool enabled_;
  bool shown_ = false;
  QElapsedTimer clock_;
};
