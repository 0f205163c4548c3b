// What the bridge timing programs share: the platform on loopback (broker,
// REST server, one simulated remote DTU) and `varnokctl bridge` running as a
// child process on the slave end of a local pseudo-terminal, whose master the
// program uses as the engineer's terminal. Header-only.
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_timing.h"
#include "sim/platform_remote_device.h"
#include "sim/platform_rest_server.h"
#include "tests/support/mosquitto_broker.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

constexpr const char *kBenchProductKey = "pk-demo";
constexpr const char *kBenchProductSecret = "ps-demo";
constexpr const char *kBenchImei = "860000000000001";

// varnokctl next to this program's build folder (bench/ -> cli/).
inline std::string BenchVarnokctlPath() {
  if (const char *env = getenv("VARNOKCTL")) return env;
  char self[PATH_MAX] = {0};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./x");
  dir = dir.substr(0, dir.rfind('/'));
  return dir + "/../cli/varnokctl";
}

// A running `varnokctl bridge`; its stderr is collected on a thread.
class BridgeProcess {
 public:
  ~BridgeProcess() { Stop(); }

  bool Start(const std::vector<std::string> &args, const std::vector<std::string> &env,
             const std::string &workdir) {
    int err_pipe[2];
    if (pipe2(err_pipe, O_CLOEXEC) != 0) return false;
    std::vector<char *> argv, envp;
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    for (char **e = environ; *e != nullptr; ++e) envp.push_back(*e);
    for (const std::string &e : env) envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(err_pipe[1], 2);
      if (chdir(workdir.c_str()) != 0) _exit(126);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(err_pipe[1]);
    err_fd_ = err_pipe[0];
    reader_ = std::thread([this] { CollectStderr(); });
    return pid_ > 0;
  }

  // Waits until stderr holds `needle`; false after timeout_ms.
  bool WaitFor(const std::string &needle, int timeout_ms) {
    double end = BenchNowMs() + timeout_ms;
    while (BenchNowMs() < end) {
      if (Stderr().find(needle) != std::string::npos) return true;
      usleep(5000);
    }
    return false;
  }

  std::string Stderr() {
    std::lock_guard<std::mutex> guard(lock_);
    return stderr_;
  }

  // Ctrl-C, as an engineer would stop it; returns the exit status.
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
    close(err_fd_);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  void CollectStderr() {
    char buffer[4096];
    ssize_t n;
    while ((n = read(err_fd_, buffer, sizeof buffer)) > 0) {
      std::lock_guard<std::mutex> guard(lock_);
      stderr_.append(buffer, static_cast<size_t>(n));
    }
  }

  pid_t pid_ = -1;
  int err_fd_ = -1;
  std::thread reader_;
  std::mutex lock_;
  std::string stderr_;
};

// The platform on loopback plus the bridge on a local pty. The remote device
// is a simulated DTU, or (raw_device) a bare serial line whose other end the
// program plays itself through DeviceLine().
class BridgeBenchSetup {
 public:
  explicit BridgeBenchSetup(bool raw_device = false) : raw_device_(raw_device) {}

  bool Start(int inflight, std::string &error) {
    if (!broker_.Start()) {
      error = "broker: " + broker_.ErrorText();
      return false;
    }
    if (!rest_.Start(PlatformDemoConfig(), error)) return false;
    bool device_up =
        raw_device_ ? raw_link_.Start(broker_.Host(), broker_.Port(), kBenchProductKey, kBenchImei,
                                      device_line_.SlavePath(), error)
                    : device_.Start(broker_.Host(), broker_.Port(), kBenchProductKey, kBenchImei,
                                    error);
    if (!device_up) return false;
    return StartBridge(inflight, error);
  }

  bool StartBridge(int inflight, std::string &error) {
    bridge_ = std::make_unique<BridgeProcess>();
    std::vector<std::string> args = {BenchVarnokctlPath(), "bridge", "-p", local_.SlavePath(),
                                     "--product-key", kBenchProductKey, "--product-secret",
                                     kBenchProductSecret, "--device", kBenchImei, "--user",
                                     "engineer", "--password", "varnok-demo", "--inflight",
                                     std::to_string(inflight)};
    std::vector<std::string> env = {"VARNOK_API_BASE=" + rest_.ApiBase(),
                                    "VARNOK_CA_FILE=" + rest_.CaFile(),
                                    "VARNOK_MQTT_HOST=" + broker_.Host(),
                                    "VARNOK_MQTT_PORT=" + std::to_string(broker_.Port())};
    if (!bridge_->Start(args, env, workdir_.Path()) || !bridge_->WaitFor("Connect success", 20000)) {
      error = "varnokctl bridge did not connect: " + bridge_->Stderr();
      return false;
    }
    return true;
  }

  int StopBridge() { return bridge_ ? bridge_->Stop() : -1; }

  MosquittoBroker &Broker() { return broker_; }
  PlatformRemoteDevice &Device() { return device_; }
  PtyPair &Terminal() { return local_; }
  PtyPair &DeviceLine() { return device_line_; }
  BridgeProcess &Bridge() { return *bridge_; }

 private:
  TempDir workdir_;
  MosquittoBroker broker_;
  PlatformRestServer rest_;
  bool raw_device_;
  PlatformRemoteDevice device_;
  PtyPair device_line_;
  PlatformRemoteDtu raw_link_;
  PtyPair local_;
  std::unique_ptr<BridgeProcess> bridge_;
};
