#include "tests/support/sim_link.h"

#include <stdexcept>

#include "link/dtu_cmd_resp_table.h"

std::unique_ptr<DtuSim> StartDtuSim(const DtuSimOptions &options) {
  auto sim = std::make_unique<DtuSim>(options);
  std::string error;
  if (!sim->Start(&error)) throw std::runtime_error("dtu-sim did not start: " + error);
  return sim;
}

SimLink::SimLink(const DtuSimOptions &options, bool dispatch) : sim_(StartDtuSim(options)) {
  port_.SetChunkDispatcher([this, dispatch](const std::string &chunk) {
    if (dispatch) DtuCmdRecvProcess(chunk.c_str(), static_cast<int>(chunk.size()));
    std::lock_guard<std::mutex> lock(mutex_);
    chunks_.push_back(chunk);
    changed_.notify_all();
  });
  DtuSerialSettings settings;
  settings.port = sim_->SlavePath();
  std::string error;
  if (!port_.DtuCmdPortOpen(settings, error)) throw std::runtime_error("port did not open: " + error);
}

SimLink::~SimLink() {
  port_.Close();
  port_.SetPortLostHandler(nullptr);
  sim_->Stop();
}

int SimLink::Queue(const std::string &line) {
  return DtuCmdPort::DtuCmdRingbufSend(line.data(), static_cast<int>(line.size()));
}

std::vector<std::string> SimLink::WaitForChunks(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return chunks_.size() >= count; });
  return chunks_;
}
