// The platform on loopback (broker, REST server, one simulated remote DTU)
// and `varnokctl bridge` running as a child process on the slave end of a
// local pseudo-terminal, whose master plays the engineer's terminal. Shared by
// the bridge tests and timing programs (header-only; link varnok_platformsim).
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/platform_remote_device.h"
#include "sim/platform_rest_server.h"
#include "sim/platform_broker.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

constexpr const char *kBridgeProductKey = "pk-demo";
constexpr const char *kBridgeProductSecret = "ps-demo";
constexpr const char *kBridgeImei = "860000000000001";

// varnokctl of this build: $VARNOKCTL, else the path the build compiled in,
// else cli/varnokctl beside this program's build folder.
inline std::string VarnokctlPath() {
  if (const char *env = getenv("VARNOKCTL")) return env;
#ifdef VARNOK_VARNOKCTL_PATH
  return VARNOK_VARNOKCTL_PATH;
#else
  char self[PATH_MAX] = {0};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./x");
  return dir.substr(0, dir.rfind('/')) + "/../cli/varnokctl";
#endif
}

inline double SetupNowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A running program (`varnokctl bridge`, `platform-sim`); its standard output
// and error are collected together on a thread.
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
      dup2(err_pipe[1], 1);
      dup2(err_pipe[1], 2);
      if (chdir(workdir.c_str()) != 0) _exit(126);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(err_pipe[1]);
    err_fd_ = err_pipe[0];
    reader_ = std::thread([this] { CollectOutput(); });
    return pid_ > 0;
  }

  // Waits until the output holds `needle`; false after timeout_ms.
  bool WaitFor(const std::string &needle, int timeout_ms) {
    double end = SetupNowMs() + timeout_ms;
    while (SetupNowMs() < end) {
      if (Output().find(needle) != std::string::npos) return true;
      usleep(5000);
    }
    return false;
  }

  std::string Output() {
    std::lock_guard<std::mutex> guard(lock_);
    return stderr_;
  }

  pid_t Pid() const { return pid_; }

  // Ctrl-C, as an engineer would stop it; returns the exit status.
  int Stop() {
    if (pid_ <= 0) return exit_status_;
    kill(pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    return Reaped(status);
  }

  // Waits for the program to end by itself; its exit status, or -1 (and it is
  // stopped) when it still runs after timeout_ms.
  int WaitExit(int timeout_ms) {
    double end = SetupNowMs() + timeout_ms;
    while (pid_ > 0 && SetupNowMs() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) return Reaped(status);
      usleep(10000);
    }
    if (pid_ <= 0) return exit_status_;
    Stop();
    return -1;
  }

 private:
  int Reaped(int status) {
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
    close(err_fd_);
    err_fd_ = -1;
    exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return exit_status_;
  }

  void CollectOutput() {
    char buffer[4096];
    ssize_t n;
    while ((n = read(err_fd_, buffer, sizeof buffer)) > 0) {
      std::lock_guard<std::mutex> guard(lock_);
      stderr_.append(buffer, static_cast<size_t>(n));
    }
  }

  pid_t pid_ = -1;
  int err_fd_ = -1;
  int exit_status_ = -1;
  std::thread reader_;
  std::mutex lock_;
  std::string stderr_;
};

// The platform on loopback plus the bridge on a local pty. The remote device
// is a simulated DTU, or (raw_device) a bare serial line whose other end the
// program plays itself through DeviceLine().
class VarnokctlBridgeSetup {
 public:
  explicit VarnokctlBridgeSetup(bool raw_device = false) : raw_device_(raw_device) {}

  // The platform, then (inflight > 0) the bridge.
  bool Start(int inflight, std::string &error) {
    if (!StartPlatform(error)) return false;
    return inflight <= 0 || StartBridge(inflight, error);
  }

  bool StartPlatform(std::string &error) {
    if (!broker_.Start()) {
      error = "broker: " + broker_.ErrorText();
      return false;
    }
    if (!rest_.Start(PlatformDemoConfig(), error)) return false;
    bool device_up =
        raw_device_ ? raw_link_.Start(broker_.Host(), broker_.Port(), kBridgeProductKey, kBridgeImei,
                                      device_line_.SlavePath(), error)
                    : device_.Start(broker_.Host(), broker_.Port(), kBridgeProductKey, kBridgeImei,
                                    error);
    return device_up;
  }

  // Starts `varnokctl bridge` on the local pty with `args` after the verb and
  // the platform's whereabouts in its environment; does not wait.
  BridgeProcess &Launch(const std::vector<std::string> &args) {
    bridge_ = std::make_unique<BridgeProcess>();
    std::vector<std::string> argv = {VarnokctlPath(), "bridge"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = {"VARNOK_API_BASE=" + rest_.ApiBase(),
                                    "VARNOK_CA_FILE=" + rest_.CaFile(),
                                    "VARNOK_MQTT_HOST=" + broker_.Host(),
                                    "VARNOK_MQTT_PORT=" + std::to_string(broker_.Port())};
    bridge_->Start(argv, env, workdir_.Path());
    return *bridge_;
  }

  // The usual bridge to the device with the demo account; waits until connected.
  bool StartBridge(int inflight, std::string &error) {
    Launch({"-p", local_.SlavePath(), "--product-key", kBridgeProductKey, "--product-secret",
            kBridgeProductSecret, "--device", kBridgeImei, "--user", "engineer", "--password",
            "varnok-demo", "--inflight", std::to_string(inflight)});
    if (!bridge_->WaitFor("Connect success", 20000)) {
      error = "varnokctl bridge did not connect: " + bridge_->Output();
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
