#include "tests/pages/wire_device.h"

#include <poll.h>
#include <unistd.h>

#include "tests/support/pty_pair.h"

namespace {

std::string Unescape(std::string text) {
  for (const auto &[from, to] : {std::pair<std::string, std::string>{"[dec]", "|"}, {"[comma]", ","}}) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

}  // namespace

WireDevice::WireDevice() : pty_(std::make_unique<PtyPair>()) { thread_ = std::thread([this] { Serve(); }); }

WireDevice::~WireDevice() {
  stop_ = true;
  thread_.join();
}

std::string WireDevice::LinePath() const { return pty_->SlavePath(); }

void WireDevice::SetValue(const std::string &key, const std::string &value) {
  std::lock_guard<std::mutex> guard(lock_);
  values_[key] = value;
}

std::string WireDevice::Value(const std::string &key) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = values_.find(key);
  return it == values_.end() ? std::string() : it->second;
}

void WireDevice::FailOnce(const std::string &key) {
  std::lock_guard<std::mutex> guard(lock_);
  failing_.insert(key);
}

std::vector<std::string> WireDevice::Lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

void WireDevice::Serve() {
  std::string pending;
  while (!stop_) {
    pollfd pfd{pty_->MasterFd(), POLLIN, 0};
    if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN)) continue;
    char buf[4096];
    ssize_t n = ::read(pty_->MasterFd(), buf, sizeof(buf));
    if (n <= 0) continue;
    pending.append(buf, static_cast<size_t>(n));
    for (size_t end = pending.find("\r\n"); end != std::string::npos; end = pending.find("\r\n")) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 2);
      HandleLine(line);
    }
  }
}

void WireDevice::HandleLine(const std::string &line) {
  std::string answer;
  {
    std::lock_guard<std::mutex> guard(lock_);
    lines_.push_back(line);
    const std::string head = "AT+ZEVCFG=";
    if (line.compare(0, head.size(), head) != 0 || line.size() < head.size() + 4) return;
    const std::string verb = line.substr(head.size(), 3);
    std::string rest = line.substr(head.size() + 4);
    size_t bar = rest.find('|');
    const std::string key = rest.substr(0, bar);
    if (failing_.erase(key)) {
      answer = "\r\nERROR\r\n";
    } else if (key == "reboot" || key == "reload") {
      answer = "\r\nOK\r\n";
    } else {
      if (verb == "set" && bar != std::string::npos) values_[key] = Unescape(rest.substr(bar + 1));
      answer = "\r\n" + key + " : " + values_[key] + "\r\n\r\nOK\r\n";
    }
  }
  pty_->Write(answer);
}
