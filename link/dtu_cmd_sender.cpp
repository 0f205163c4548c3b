#include "link/dtu_cmd_sender.h"

#include <chrono>
#include <system_error>

#include "base/dtu_log.h"
#include "link/dtu_cmd_ring.h"
#include "link/serial_port_base.h"

bool DtuCmdSender::Start() {
  Stop();
  busy_.store(0);
  written_.store(0);
  answered_.store(0);
  running_.store(true);
  try {
    thread_ = std::thread(&DtuCmdSender::Run, this);
  } catch (const std::system_error &e) {
    running_.store(false);
    DTU_LOG("sender thread not started: %s.", e.what());
    return false;
  }
  return true;
}

void DtuCmdSender::Stop() {
  {
    std::lock_guard<std::mutex> lock(wait_mutex_);
    running_.store(false);
  }
  wake_.notify_all();
  DtuCmdRingInstance().Wake();
  if (thread_.joinable()) thread_.join();
}

void DtuCmdSender::ClearBusy() {
  {
    std::lock_guard<std::mutex> lock(wait_mutex_);
    if (busy_.exchange(0) == 1) answered_.fetch_add(1);
  }
  wake_.notify_all();
}

void DtuCmdSender::WaitWhileBusy() {
  std::unique_lock<std::mutex> lock(wait_mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(kBusyWaitLimitMs),
                 [this] { return busy_.load() == 0 || !running_.load(); });
}

void DtuCmdSender::PauseAfterWrite() {
  std::unique_lock<std::mutex> lock(wait_mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(kPauseAfterWriteMs), [this] { return !running_.load(); });
}

void DtuCmdSender::Run() {
  DtuCmdRing &ring = DtuCmdRingInstance();
  DtuCmdSlot slot;
  while (running_.load()) {
    if (ring.Get(&slot) != 0) {
      ring.WaitForItem(std::chrono::milliseconds(1000));
      continue;
    }
    WaitWhileBusy();
    if (!running_.load()) break;
    {
      std::lock_guard<std::mutex> lock(wait_mutex_);
      busy_.store(1);
    }
    written_.fetch_add(1);
    driver_->Write(slot.text, slot.length);  // a failed write is not retried
    PauseAfterWrite();
  }
}
