#include "sim/platform_broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

bool IsExecutable(const std::string &path) { return access(path.c_str(), X_OK) == 0; }

bool CanConnect(const std::string &host, int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
  bool ok = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

void RemoveTree(const std::string &dir) {
  for (const char *name : {"mosquitto.conf", "mosquitto.log"}) {
    unlink((dir + "/" + name).c_str());
  }
  rmdir(dir.c_str());
}

}  // namespace

MosquittoBroker::~MosquittoBroker() {
  Stop();
  if (!dir_.empty()) RemoveTree(dir_);
}

std::string MosquittoBroker::FindExecutable() {
  if (const char *env = getenv("VARNOK_MOSQUITTO"); env != nullptr && IsExecutable(env)) return env;
  std::string path = getenv("PATH") != nullptr ? getenv("PATH") : "";
  path += ":/usr/sbin:/usr/local/sbin:/sbin";
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && IsExecutable(dir + "/mosquitto")) return dir + "/mosquitto";
  }
  return std::string();
}

int MosquittoBroker::FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(fd);
  return port;
}

bool MosquittoBroker::EnsureTempDir() {
  if (!dir_.empty()) return true;
  const char *tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/varnok-mosquitto-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    error_text_ = "cannot create a temporary folder: " + std::string(strerror(errno));
    return false;
  }
  dir_ = pattern;
  return true;
}

bool MosquittoBroker::WriteConfig(int port) {
  std::ofstream conf(dir_ + "/mosquitto.conf", std::ios::trunc);
  conf << "# written by the test fixture; loopback only\n"
       << "per_listener_settings false\n"
       << "listener " << port << " " << host_ << "\n"
       << "allow_anonymous true\n"
       << "persistence false\n"
       << "log_dest file " << dir_ << "/mosquitto.log\n"
       << "log_type error\nlog_type warning\nlog_type notice\n"
       << "max_queued_messages 10000\n"
       // Small MQTT packets must not wait for delayed acknowledgements.
       << "set_tcp_nodelay true\n";
  return static_cast<bool>(conf);
}

bool MosquittoBroker::Launch(const std::string &exe) {
  std::string conf = dir_ + "/mosquitto.conf";
  const char *argv[] = {exe.c_str(), "-c", conf.c_str(), nullptr};
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    error_text_ = "fork failed: " + std::string(strerror(errno));
    return false;
  }
  if (pid == 0) {
    // A mask blocked by the starter (platform-sim waits for its stop
    // signals with sigwait) would keep SIGTERM from the broker, which then
    // stops only at the SIGKILL 3 s later.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // The broker dies with the process that started it, even on a crash.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 0);
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    execv(argv[0], const_cast<char *const *>(argv));
    _exit(127);
  }
  pid_ = pid;
  return true;
}

bool MosquittoBroker::WaitReady(int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_text_ = "mosquitto exited at start: " + LogText();
      return false;
    }
    if (CanConnect(host_, port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  error_text_ = "mosquitto did not accept connections in time";
  Stop();
  return false;
}

bool MosquittoBroker::Start(int port) {
  if (Running()) return true;
  std::string exe = FindExecutable();
  if (exe.empty()) {
    error_text_ = "mosquitto is not installed";
    return false;
  }
  if (!EnsureTempDir()) return false;
  // A picked port may be taken between the probe and the broker's bind: try again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = port != 0 ? port : FreeLoopbackPort();
    if (port_ == 0 || !WriteConfig(port_)) {
      error_text_ = "cannot prepare the broker configuration";
      return false;
    }
    if (!Launch(exe)) return false;
    if (WaitReady(10000)) return true;
    if (port != 0) break;
  }
  return false;
}

void MosquittoBroker::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string MosquittoBroker::LogText() const {
  if (dir_.empty()) return std::string();
  std::ifstream log(dir_ + "/mosquitto.log");
  std::stringstream text;
  text << log.rdbuf();
  return text.str();
}
