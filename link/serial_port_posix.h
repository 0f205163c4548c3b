// The serial port driver on POSIX termios. In the asynchronous mode a reader
// thread polls the port, gathers bytes into the receive ring and notifies the
// listener once per burst: after the read interval (the quiet gap) passes with
// nothing received, or at once when the ring is full or holds more than the
// full-notify threshold. A port that hangs up (a device unplugged) stops the
// reader, records the error and calls the port-lost callback.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <termios.h>

#include "link/ring_buffer.h"
#include "link/serial_port_base.h"
#include "link/serial_termios.h"

class CSerialPortPosix : public CSerialPortBase {
 public:
  CSerialPortPosix();
  ~CSerialPortPosix() override;

  bool Init(const std::string &port_name, int baud_rate, int parity, int data_bits, int stop_bits,
            int flow_control, unsigned int read_buffer_size) override;
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return fd_.load() >= 0; }
  unsigned int GetPendingBytes() override;
  int Read(char *buffer, int size) override;
  int ReadAll(char *buffer) override;
  int ReadLine(char *buffer, int size) override;
  int Write(const char *data, int size) override;

  bool Flush() override;
  bool FlushRx() override;
  bool FlushTx() override;

  void SetPortName(const std::string &name) override;
  std::string GetPortName() const override;
  void SetBaudRate(int baud) override;
  int GetBaudRate() const override;
  void SetParity(int parity) override;
  int GetParity() const override;
  void SetDataBits(int bits) override;
  int GetDataBits() const override;
  void SetStopBits(int stop) override;
  int GetStopBits() const override;
  void SetFlowControl(int flow) override;
  int GetFlowControl() const override;
  void SetReadBufferSize(unsigned int size) override;
  unsigned int GetReadBufferSize() const override;
  void SetDtr(bool on) override;
  void SetRts(bool on) override;

  // The system error (errno) behind the last failed Open, 0 when it did not
  // fail there: EACCES or EPERM for a port the user may not open, EBUSY for
  // one another program holds. The error code alone ("access denied error")
  // does not tell these apart.
  int GetLastOpenErrno() const { return open_errno_.load(); }

 private:
  struct DrainResult {
    unsigned int received = 0;
    bool gone = false;
    bool ring_full = false;
  };
  int OpenDevice();
  bool StartReader();
  void ReaderLoop(int fd, int wake_fd, std::string port_name);
  DrainResult DrainPort(int fd, bool keep_oldest);
  void NotifyWaiting(const std::string &port_name);
  bool ShouldNotifyAtOnce();
  void ApplySettingsIfOpen();
  int SyncRead(char *buffer, int size);
  bool WaitWritable(int fd, int timeout_ms);

  mutable std::mutex lifecycle_mutex_;  // serializes Open and Close
  std::string port_name_;
  DtuLineSettings line_;
  unsigned int read_buffer_size_ = 4096;
  std::unique_ptr<RingBuffer> ring_;
  std::atomic<int> fd_{-1};
  termios original_line_{};  // the port's settings before Open, restored by Close
  bool have_original_line_ = false;
  std::atomic<int> open_errno_{0};
  int wake_pipe_[2] = {-1, -1};
  std::thread reader_;
  std::atomic<bool> running_{false};
};
