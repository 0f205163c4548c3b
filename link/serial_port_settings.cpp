// Setting accessors of CSerialPortPosix: a setter takes effect on an open
// port at once.
#include <termios.h>
#include <sys/ioctl.h>

#include "link/serial_port_posix.h"

void CSerialPortPosix::ApplySettingsIfOpen() {
  // Called with the port lock held.
  if (fd_.load() >= 0) {
    int code = DtuTermiosApply(fd_.load(), line_);
    if (code != 0) SetLastError(code);
  }
}

void CSerialPortPosix::SetPortName(const std::string &name) {
  std::lock_guard<std::mutex> lock(port_mutex_);
  port_name_ = name.substr(0, 255);
}

std::string CSerialPortPosix::GetPortName() const {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return port_name_;
}

#define DTU_LINE_SETTING(Setter, Getter, field)     \
  void CSerialPortPosix::Setter(int value) {        \
    std::lock_guard<std::mutex> lock(port_mutex_);  \
    line_.field = value;                            \
    ApplySettingsIfOpen();                          \
  }                                                 \
  int CSerialPortPosix::Getter() const {            \
    std::lock_guard<std::mutex> lock(port_mutex_);  \
    return line_.field;                             \
  }

DTU_LINE_SETTING(SetBaudRate, GetBaudRate, baud_rate)
DTU_LINE_SETTING(SetParity, GetParity, parity)
DTU_LINE_SETTING(SetDataBits, GetDataBits, data_bits)
DTU_LINE_SETTING(SetStopBits, GetStopBits, stop_bits)
DTU_LINE_SETTING(SetFlowControl, GetFlowControl, flow_control)
#undef DTU_LINE_SETTING

void CSerialPortPosix::SetReadBufferSize(unsigned int size) {
  std::lock_guard<std::mutex> lock(port_mutex_);
  read_buffer_size_ = size;
  ring_ = std::make_unique<RingBuffer>(size);
}

unsigned int CSerialPortPosix::GetReadBufferSize() const {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return read_buffer_size_;
}

void CSerialPortPosix::SetDtr(bool on) {
  std::lock_guard<std::mutex> lock(port_mutex_);
  if (fd_.load() >= 0) DtuTermiosSetModemLine(fd_.load(), TIOCM_DTR, on);
}

void CSerialPortPosix::SetRts(bool on) {
  std::lock_guard<std::mutex> lock(port_mutex_);
  if (fd_.load() >= 0) DtuTermiosSetModemLine(fd_.load(), TIOCM_RTS, on);
}
