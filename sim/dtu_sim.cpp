#include "sim/dtu_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "link/serial_termios.h"

namespace {

// Where a split answer pauses: before its closing OK line (as a device that
// is slow to confirm), or in the middle when it has none.
size_t SplitPoint(const std::string &answer) {
  static const std::string kOkLine = "OK\r\n";
  if (answer.size() > kOkLine.size() && answer.compare(answer.size() - kOkLine.size(), kOkLine.size(), kOkLine) == 0) {
    return answer.size() - kOkLine.size();
  }
  return answer.size() / 2;
}

}  // namespace

DtuSim::DtuSim(DtuSimOptions options) : options_(std::move(options)) {}

DtuSim::~DtuSim() { Stop(); }

bool DtuSim::Start(std::string *error) {
  auto fail = [&](const std::string &text) {
    if (error) *error = text;
    CloseLine();
    return false;
  };
  const DtuSimOptions options = Options();
  std::string state_error;
  if (!device_.LoadState(options, &state_error)) return fail(state_error);
  char name[256] = {0};
  if (openpty(&master_, &slave_hold_, name, nullptr, nullptr) != 0) return fail("openpty failed");
  DtuTermiosMakeRaw(slave_hold_);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_hold_, F_SETFD, FD_CLOEXEC);
  if (pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe failed");
  slave_path_ = name;
  if (!options.link_path.empty()) {
    unlink(options.link_path.c_str());
    if (symlink(slave_path_.c_str(), options.link_path.c_str()) != 0) return fail("cannot create link " + options.link_path);
  }
  running_ = true;
  thread_ = std::thread(&DtuSim::Run, this);
  return true;
}

void DtuSim::Stop() {
  running_ = false;
  if (wake_pipe_[1] >= 0) {
    char wake = 1;
    ssize_t ignored = write(wake_pipe_[1], &wake, 1);
    (void)ignored;
  }
  if (thread_.joinable()) thread_.join();
  CloseLine();
  for (int &end : wake_pipe_) {
    if (end >= 0) close(end);
    end = -1;
  }
  const std::string link = Options().link_path;
  if (!link.empty()) unlink(link.c_str());
}

void DtuSim::CloseLine() {
  if (master_ >= 0) close(master_);
  if (slave_hold_ >= 0) close(slave_hold_);
  master_ = slave_hold_ = -1;
}

void DtuSim::Unplug() {
  unplugged_ = true;
  running_ = false;
  if (wake_pipe_[1] >= 0) {
    char wake = 1;
    ssize_t ignored = write(wake_pipe_[1], &wake, 1);
    (void)ignored;
  }
}

void DtuSim::SetOptions(const DtuSimOptions &options) {
  std::lock_guard<std::mutex> lock(options_mutex_);
  options_ = options;
}

DtuSimOptions DtuSim::Options() const {
  std::lock_guard<std::mutex> lock(options_mutex_);
  return options_;
}

std::vector<std::string> DtuSim::ReceivedLines() const {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  return lines_;
}

std::vector<std::string> DtuSim::WaitForLines(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(lines_mutex_);
  lines_changed_.wait_for(lock, timeout, [&] { return lines_.size() >= count || done_; });
  return lines_;
}

void DtuSim::ClearReceived() {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  lines_.clear();
}

void DtuSim::Run() {
  std::string pending;
  char buf[4096];
  while (running_) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents != 0 || !running_) break;
    ssize_t n = read(master_, buf, sizeof(buf));
    if (n <= 0) {
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      break;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] != '\0') pending.push_back(buf[i]);  // pages send the C string's NUL too
    }
    size_t end;
    while (running_ && (end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end + 1);
      pending.erase(0, end + 1);
      HandleLine(line);
    }
  }
  if (unplugged_) CloseLine();
  std::lock_guard<std::mutex> lock(lines_mutex_);
  done_ = true;
  lines_changed_.notify_all();
}

void DtuSim::HandleLine(const std::string &line) {
  {
    std::lock_guard<std::mutex> lock(lines_mutex_);
    lines_.push_back(line);
    lines_changed_.notify_all();
  }
  const int seen = ++commands_seen_;
  const DtuSimOptions options = Options();
  const std::string answer = device_.Answer(line, seen, options);
  if (!answer.empty()) SendAnswer(answer, options);
  if (options.unplug_after > 0 && seen >= options.unplug_after) Unplug();
}

std::string DtuSim::AnswerFor(const std::string &line) { return device_.AnswerFor(line, Options()); }

void DtuSim::SendAnswer(const std::string &answer, const DtuSimOptions &options) {
  if (options.latency_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.latency_ms));
  if (options.split_gap_ms > 0 && answer.size() > 1) {
    const size_t split = SplitPoint(answer);
    WritePaced(answer.substr(0, split), options.baud);
    std::this_thread::sleep_for(std::chrono::milliseconds(options.split_gap_ms));
    WritePaced(answer.substr(split), options.baud);
  } else {
    WritePaced(answer, options.baud);
  }
}

// Writes at the wire speed of `baud` (10 bits per byte), in slices of about
// one millisecond, against an absolute schedule so the pace does not drift.
void DtuSim::WritePaced(const std::string &bytes, int baud) {
  const size_t per_slice = baud > 0 ? std::max<size_t>(1, static_cast<size_t>(baud) / 10000) : bytes.size();
  const auto start = std::chrono::steady_clock::now();
  size_t done = 0;
  while (done < bytes.size() && running_) {
    const size_t count = std::min(per_slice, bytes.size() - done);
    ssize_t n = write(master_, bytes.data() + done, count);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
    if (baud > 0) {
      auto due = start + std::chrono::microseconds(static_cast<long long>(done) * 10'000'000LL / baud);
      std::this_thread::sleep_until(due);
    }
  }
}
