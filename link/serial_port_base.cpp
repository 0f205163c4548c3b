#include "link/serial_port_base.h"

#include "link/serial_error.h"

const char *CSerialPortBase::GetLastErrorText() const { return DtuSerialErrorText(last_error_); }

std::string CSerialPortBase::DescribeLoss(int error_code) const { return DtuSerialErrorText(error_code); }

void CSerialPortBase::AttachListener(CSerialPortListener *listener) {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  listener_ = listener;
}

void CSerialPortBase::DetachListener() {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  listener_ = nullptr;
}

bool CSerialPortBase::HasListener() {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  return listener_ != nullptr;
}

void CSerialPortBase::NotifyListener(const char *port_name, unsigned int bytes_waiting) {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  if (listener_ != nullptr) listener_->OnSerialData(port_name, bytes_waiting);
}

void CSerialPortBase::SetPortLostCallback(std::function<void(int error_code)> callback) {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  port_lost_ = std::move(callback);
}

void CSerialPortBase::NotifyPortLost(int error_code) {
  std::function<void(int)> callback;
  {
    std::lock_guard<std::mutex> lock(listener_mutex_);
    callback = port_lost_;
  }
  if (callback) callback(error_code);
}
