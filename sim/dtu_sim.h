// A simulated DTU on a pseudo-terminal. It answers the device command
// language from its own settings store, records every line it receives
// exactly as it came over the wire, and can inject faults and take on the
// personality of another device (sim/dtu_sim_options.h): slow answers, no
// answer, ERROR, answers in two bursts, bare OK acknowledgements, empty or
// wrong values, and an unplug. Tests run it in-process; the dtu-sim program
// wraps it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/dtu_sim_device.h"
#include "sim/dtu_sim_options.h"
#include "sim/dtu_sim_store.h"

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
  int CommandsSeen() const { return commands_seen_.load(); }

  // Closes the line at once, as if the cable were pulled.
  void Unplug();
  bool Unplugged() const { return unplugged_.load(); }

  // Faults and personality may be changed while running.
  void SetOptions(const DtuSimOptions &options);
  DtuSimOptions Options() const;

  DtuSimStore &Store() { return device_.Store(); }
  // What the device answers to one line, without faults or pacing.
  std::string AnswerFor(const std::string &line);

 private:
  void Run();
  void HandleLine(const std::string &line);
  void SendAnswer(const std::string &answer, const DtuSimOptions &options);
  void WritePaced(const std::string &bytes, int baud);
  void CloseLine();

  mutable std::mutex options_mutex_;
  DtuSimOptions options_;
  DtuSimDevice device_;  // the simulator's thread only, but for the tests' Store()
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
