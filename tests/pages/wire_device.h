// The device on the far end of the test's pseudo-terminal: it records every
// line it receives and answers "<key> : <value>" for a get and for a set
// (after undoing the command port's escaping), followed by "OK".
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class PtyPair;

class WireDevice {
 public:
  WireDevice();
  ~WireDevice();

  // The path the command port opens.
  std::string LinePath() const;

  void SetValue(const std::string &key, const std::string &value);
  std::string Value(const std::string &key) const;
  // The next command with this key is answered with "ERROR" only.
  void FailOnce(const std::string &key);
  std::vector<std::string> Lines() const;

 private:
  void Serve();
  void HandleLine(const std::string &line);

  std::unique_ptr<PtyPair> pty_;
  mutable std::mutex lock_;
  std::map<std::string, std::string> values_;
  std::set<std::string> failing_;
  std::vector<std::string> lines_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
