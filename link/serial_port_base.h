// The serial port driver's abstract base: the settings every platform shares,
// the last error, the port lock and the attached listener. A platform class
// (CSerialPortPosix) implements the port itself.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

// Told that received bytes are waiting. Called on a driver thread, never on
// the GUI thread. The driver does not own its listener.
class CSerialPortListener {
 public:
  virtual ~CSerialPortListener() = default;
  virtual void OnSerialData(const char *port_name, unsigned int bytes_waiting) = 0;
};

class CSerialPortBase {
 public:
  CSerialPortBase() = default;
  virtual ~CSerialPortBase() = default;
  CSerialPortBase(const CSerialPortBase &) = delete;
  CSerialPortBase &operator=(const CSerialPortBase &) = delete;

  virtual bool Init(const std::string &port_name, int baud_rate, int parity, int data_bits, int stop_bits,
                    int flow_control, unsigned int read_buffer_size) = 0;
  virtual void SetIoMode(int mode) { operate_mode_ = mode; }
  int GetIoMode() const { return operate_mode_; }
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual unsigned int GetPendingBytes() = 0;
  virtual int Read(char *buffer, int size) = 0;
  virtual int ReadAll(char *buffer) = 0;
  virtual int ReadLine(char *buffer, int size) = 0;
  virtual int Write(const char *data, int size) = 0;

  virtual void SetReadIdleTime(unsigned int ms) { read_idle_ms_ = ms; }
  virtual unsigned int GetReadIdleTime() const { return read_idle_ms_; }
  virtual void SetMinNotifyBytes(unsigned int count) { min_notify_bytes_ = count; }
  virtual unsigned int GetMinNotifyBytes() const { return min_notify_bytes_; }
  virtual unsigned int GetFullNotifyBytes() const { return full_notify_bytes_; }

  virtual bool Flush() = 0;
  virtual bool FlushRx() = 0;
  virtual bool FlushTx() = 0;

  int GetLastErrorCode() const { return last_error_; }
  // The text of the last error; a transport may say more than the code's
  // text (which broker refused, and why).
  virtual const char *GetLastErrorText() const;
  // What a port-lost report with this code means ("read failed error"; a
  // transport: "the broker dropped the connection: ...").
  virtual std::string DescribeLoss(int error_code) const;

  virtual void SetPortName(const std::string &name) = 0;
  virtual std::string GetPortName() const = 0;
  virtual void SetBaudRate(int baud) = 0;
  virtual int GetBaudRate() const = 0;
  virtual void SetParity(int parity) = 0;
  virtual int GetParity() const = 0;
  virtual void SetDataBits(int bits) = 0;
  virtual int GetDataBits() const = 0;
  virtual void SetStopBits(int stop) = 0;
  virtual int GetStopBits() const = 0;
  virtual void SetFlowControl(int flow) = 0;
  virtual int GetFlowControl() const = 0;
  virtual void SetReadBufferSize(unsigned int size) = 0;
  virtual unsigned int GetReadBufferSize() const = 0;
  virtual void SetDtr(bool on) = 0;
  virtual void SetRts(bool on) = 0;

  // Attaching and detaching wait for a notification in progress to finish,
  // so a detached listener can be deleted at once.
  void AttachListener(CSerialPortListener *listener);
  void DetachListener();

  // Told once, on the driver's reader thread, when the open port disappeared
  // (hang-up, EIO, ENXIO). The reader has stopped; the owner should Close().
  void SetPortLostCallback(std::function<void(int error_code)> callback);

 protected:
  void SetLastError(int code) { last_error_ = code; }
  bool HasListener();
  void NotifyListener(const char *port_name, unsigned int bytes_waiting);
  void NotifyPortLost(int error_code);

  mutable std::mutex port_mutex_;  // guards open, read, write and setting changes

 private:
  std::atomic<int> operate_mode_{0};
  std::atomic<unsigned int> read_idle_ms_{50};
  std::atomic<unsigned int> min_notify_bytes_{1};
  std::atomic<unsigned int> full_notify_bytes_{3276};
  std::atomic<int> last_error_{0};

  std::mutex listener_mutex_;
  CSerialPortListener *listener_ = nullptr;  // guarded by listener_mutex_
  std::function<void(int)> port_lost_;       // guarded by listener_mutex_
};
