// Removes a temporary file once this process has ended, however it ended.
// A helper process waits on a pipe whose writing end only this process
// holds: the kernel closes it on every kind of end, kill -9 included, and the
// helper then removes the file and the temporaries a save left beside it
// (`<file>.XXXXXX`). The helper ignores the terminal's signals, so a Ctrl-C
// that ends this process does not end it first.
#pragma once

#include <sys/types.h>

#include <string>

class ProvisionTempGuard {
 public:
  ProvisionTempGuard() = default;
  ~ProvisionTempGuard() { Release(); }
  ProvisionTempGuard(const ProvisionTempGuard &) = delete;
  ProvisionTempGuard &operator=(const ProvisionTempGuard &) = delete;

  // Starts the helper for `path`. Call it before any thread or port is open:
  // the helper is a fork and holds nothing of this process. False when no
  // helper could be started.
  bool Watch(const std::string &path);
  // Lets the helper go now: it removes what is left of the file (nothing once
  // it was renamed away), and this waits until it has.
  void Release();

 private:
  pid_t helper_ = -1;
  int pipe_write_ = -1;
};
