// The far end of a real pseudo-terminal pair: the test opens the tool on the
// slave path and plays the device on the master. Both ends are raw.
#pragma once

#include <string>

class PtyPeer {
 public:
  PtyPeer();
  ~PtyPeer();
  PtyPeer(const PtyPeer &) = delete;
  PtyPeer &operator=(const PtyPeer &) = delete;

  bool ok() const { return master_ >= 0; }
  const std::string &path() const { return path_; }
  // Reads what arrived within `timeout_ms` (at least `want` bytes when they come).
  std::string Read(size_t want, int timeout_ms);
  void Write(const std::string &bytes);
  // Closes both ends: to the tool this looks like an unplugged device.
  void Unplug();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};
