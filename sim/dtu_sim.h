// A simulated DTU on a pseudo-terminal. It answers the device command
// language from its own settings store, records every line it receives
// exactly as it came over the wire, and can inject faults: slow answers,
// no answer, ERROR, answers in two bursts, bare OK acknowledgements, and an
// unplug. Tests run it in-process; the dtu-sim program wraps it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/dtu_sim_store.h"

struct DtuSimOptions {
  int latency_ms = 0;        // wait before each answer
  int silent_every = 0;      // every Nth command gets no answer (0: never)
  std::set<std::string> error_keys;     // answered with ERROR (lower case)
  int split_gap_ms = 0;      // answer in two bursts this far apart, the OK line last (0: one burst)
  std::set<std::string> ack_only_keys;  // a set of these is answered with a bare OK
  int unplug_after = 0;      // close the line after answering N commands (0: never)
  int baud = 0;              // pace answers at this baud rate (0: as fast as the pty)
  std::string state_file;    // JSON settings loaded at start, saved after every change
  std::string link_path;     // symlink to the slave path
};

class DtuSim {
 public:
  explicit DtuSim(DtuSimOptions options = DtuSimOptions());
  ~DtuSim();
  DtuSim(const DtuSim &) = delete;
  DtuSim &operator=(const DtuSim &) = delete;

  // Opens the pty and starts answering. False with error text on failure.
  bool Start(std::string *error = nullptr);
  void Stop();
  const std::string &SlavePath() const { return slave_path_; }

  // Lines received, each as on the wire (line end included, NUL bytes that
  // pages send after the line end dropped).
  std::vector<std::string> ReceivedLines() const;
  // Waits until at least `count` lines were received; returns them.
  std::vector<std::string> WaitForLines(size_t count, std::chrono::milliseconds timeout) const;
  void ClearReceived();

  // Closes the line at once, as if the cable were pulled.
  void Unplug();
  bool Unplugged() const { return unplugged_.load(); }

  // Fault options may be changed while running.
  void SetOptions(const DtuSimOptions &options);
  DtuSimOptions Options() const;

  DtuSimStore &Store() { return store_; }
  // What the device answers to one line, without faults or pacing.
  std::string AnswerFor(const std::string &line);

 private:
  void Run();
  void HandleLine(const std::string &line);
  void SendAnswer(const std::string &answer, const DtuSimOptions &options);
  void WritePaced(const std::string &bytes, int baud);
  void SaveState();
  void CloseLine();

  mutable std::mutex options_mutex_;
  DtuSimOptions options_;
  DtuSimStore store_;
  int master_ = -1;
  int slave_hold_ = -1;  // keeps the line up while the tool has it closed
  int wake_pipe_[2] = {-1, -1};
  std::string slave_path_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> unplugged_{false};
  std::atomic<int> commands_seen_{0};
  mutable std::mutex lines_mutex_;
  mutable std::condition_variable lines_changed_;
  std::vector<std::string> lines_;
  bool done_ = false;  // guarded by lines_mutex_
};
