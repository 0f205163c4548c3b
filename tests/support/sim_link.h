// An in-process simulated device on a real pseudo-terminal, with a command
// port opened on it. Received chunks are collected (they are not dispatched
// unless `dispatch` is set), so tests can assert both the exact lines on the
// wire (Sim().ReceivedLines()) and the cleaned answers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/dtu_cmd_port.h"
#include "sim/dtu_sim.h"

// Starts a simulator; throws std::runtime_error when it cannot.
std::unique_ptr<DtuSim> StartDtuSim(const DtuSimOptions &options = DtuSimOptions());

class SimLink {
 public:
  // Starts the simulator and opens the port on it (throws on failure).
  // With `dispatch` each chunk also runs through DtuCmdRecvProcess, on the
  // reader thread.
  explicit SimLink(const DtuSimOptions &options = DtuSimOptions(), bool dispatch = false);
  ~SimLink();

  DtuSim &Sim() { return *sim_; }
  DtuCmdPort &Port() { return port_; }
  // Queues through DtuCmdPort::DtuCmdRingbufSend; returns its result.
  int Queue(const std::string &line);
  std::vector<std::string> WaitForChunks(size_t count, std::chrono::milliseconds timeout);

 private:
  std::unique_ptr<DtuSim> sim_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> chunks_;
  DtuCmdPort port_;
};
