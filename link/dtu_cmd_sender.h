// The sender thread of the command port: takes the oldest command from the
// ring, waits (at most 5 s) until the previous one was answered, writes it and
// keeps at least 50 ms before the next. It sleeps until a command is queued.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class CSerialPortBase;

class DtuCmdSender {
 public:
  static constexpr int kPauseAfterWriteMs = 50;
  static constexpr int kBusyWaitLimitMs = 5000;

  explicit DtuCmdSender(CSerialPortBase *driver) : driver_(driver) {}
  ~DtuCmdSender() { Stop(); }
  DtuCmdSender(const DtuCmdSender &) = delete;
  DtuCmdSender &operator=(const DtuCmdSender &) = delete;

  bool Start();  // clears the busy flag; false when the thread cannot start
  void Stop();   // wakes and joins the thread

  // The listener's part: some text was received after the last write.
  void ClearBusy();
  bool Busy() const { return busy_.load(); }
  int Written() const { return written_.load(); }
  int Answered() const { return answered_.load(); }

 private:
  void Run();
  void WaitWhileBusy();
  void PauseAfterWrite();

  CSerialPortBase *driver_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<int> busy_{0};
  std::atomic<int> written_{0};
  std::atomic<int> answered_{0};
  std::mutex wait_mutex_;
  std::condition_variable wake_;  // busy cleared or stop requested
};
