// A kernel pseudo-terminal pair in raw mode, for tests that talk to the
// serial driver: the code under test opens SlavePath(), the test plays the
// device on the master side. Closing the master is how an unplug looks.
#pragma once

#include <chrono>
#include <string>

class PtyPair {
 public:
  PtyPair();  // throws std::runtime_error when no pty can be had
  ~PtyPair();
  PtyPair(const PtyPair &) = delete;
  PtyPair &operator=(const PtyPair &) = delete;

  const std::string &SlavePath() const { return slave_path_; }
  int MasterFd() const { return master_; }

  void Write(const std::string &bytes);
  // Reads until `needle` has been seen or the time-out passes; returns all read.
  std::string ReadUntil(const std::string &needle, std::chrono::milliseconds timeout);
  // Reads whatever arrives within `window`.
  std::string ReadFor(std::chrono::milliseconds window);

  void CloseMaster();  // the device goes away
  void CloseSlave();   // drop the test's own hold on the slave

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_path_;
};
