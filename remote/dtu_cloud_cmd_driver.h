// The driver behind a "cloud:<IMEI>" port (remote/dtu_cloud_transport.h):
// the serial driver's interface over one MQTT connection of its own. Open
// connects and subscribes to the device's "update" topic; Write publishes on
// its "get" topic; every message received is one burst for the listener,
// told on the library's thread; a connection the broker drops is a lost
// port, with the broker's cause in its text.
#pragma once

#include <mutex>
#include <string>

#include "link/serial_port_base.h"
#include "remote/dtu_cloud_transport.h"

class DtuCloudCmdDriver : public CSerialPortBase {
 public:
  explicit DtuCloudCmdDriver(DtuCloudTransportSettings settings);
  ~DtuCloudCmdDriver() override;

  bool Init(const std::string &port_name, int baud_rate, int parity, int data_bits, int stop_bits,
            int flow_control, unsigned int read_buffer_size) override;
  bool Open() override;
  void Close() override;
  bool IsOpen() const override;
  unsigned int GetPendingBytes() override;
  int Read(char *buffer, int size) override;
  int ReadAll(char *buffer) override;
  int ReadLine(char *buffer, int size) override;
  int Write(const char *data, int size) override;

  bool Flush() override { return true; }
  bool FlushRx() override;
  bool FlushTx() override { return true; }

  const char *GetLastErrorText() const override;
  std::string DescribeLoss(int error_code) const override;

  // Line settings mean nothing to a broker: they are kept and given back.
  void SetPortName(const std::string &name) override;
  std::string GetPortName() const override;
  void SetBaudRate(int baud) override { baud_ = baud; }
  int GetBaudRate() const override { return baud_; }
  void SetParity(int parity) override { parity_ = parity; }
  int GetParity() const override { return parity_; }
  void SetDataBits(int bits) override { data_bits_ = bits; }
  int GetDataBits() const override { return data_bits_; }
  void SetStopBits(int stop) override { stop_bits_ = stop; }
  int GetStopBits() const override { return stop_bits_; }
  void SetFlowControl(int flow) override { flow_ = flow; }
  int GetFlowControl() const override { return flow_; }
  void SetReadBufferSize(unsigned int size) override { read_buffer_size_ = size; }
  unsigned int GetReadBufferSize() const override { return read_buffer_size_; }
  void SetDtr(bool) override {}
  void SetRts(bool) override {}

  // The broker the connection went to ("tcp://host:port"), "" when closed.
  std::string ServerUri() const { return connection_.ServerUri(); }

 private:
  void OnMessage(const std::string &topic, const char *payload, int length);
  void OnLost(const std::string &cause);
  bool Fail(int code, const std::string &text);

  const DtuCloudTransportSettings settings_;
  DtuMqttConnection connection_;
  mutable std::mutex state_;  // everything below
  std::string port_name_;
  std::string device_id_;
  std::string update_topic_;  // the device publishes here; this side listens
  std::string get_topic_;     // this side publishes here
  bool open_ = false;
  std::string received_;
  std::string error_text_;
  std::string lost_cause_;
  int baud_ = 115200, parity_ = 0, data_bits_ = 8, stop_bits_ = 0, flow_ = 0;
  unsigned int read_buffer_size_ = 2048;
};
