#include "tests/cluster/rabbit_cluster.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ftw.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "sim/platform_broker.h"

extern char **environ;

namespace {

const char kServer[] = "/usr/lib/rabbitmq/bin/rabbitmq-server";
const char kCtl[] = "/usr/lib/rabbitmq/bin/rabbitmqctl";
const char kEpmd[] = "/usr/lib/erlang/bin/epmd";
const char kUser[] = "rabbitmq";
constexpr int kClusterWaitS = 180;  // three nodes start in ~15 s and cluster in ~20 s on a quiet machine

uid_t g_uid = 0;
gid_t g_gid = 0;

int ChownEntry(const char *path, const struct stat *, int, struct FTW *) {
  return lchown(path, g_uid, g_gid) == 0 ? 0 : -1;
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

bool WriteText(const std::string &path, const std::string &text, mode_t mode = 0644) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return out && chmod(path.c_str(), mode) == 0;
}

std::string Cookie() {
  std::random_device random;
  std::string cookie;
  for (int i = 0; i < 20; ++i) cookie += static_cast<char>('A' + random() % 26);
  return cookie;
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

std::vector<char *> Pointers(std::vector<std::string> &strings) {
  std::vector<char *> pointers;
  for (std::string &s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Waits up to timeout_ms for the process to end; false when it still runs.
bool Reap(pid_t pid, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 50) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

RabbitCluster::~RabbitCluster() { Stop(); }

bool RabbitCluster::Installed() { return access(kServer, X_OK) == 0 && access(kCtl, X_OK) == 0; }

std::string RabbitCluster::NodeName(int index) const { return "rabbit" + std::to_string(index + 1) + "@localhost"; }

std::string RabbitCluster::LogOf(int index) const {
  std::ifstream in(dir_ + "/n" + std::to_string(index + 1) + "/log/" + NodeName(index) + ".log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool RabbitCluster::WriteFiles(const std::string &user, const std::string &password, std::string &error) {
  bool ok = mkdir((dir_ + "/home").c_str(), 0755) == 0 && WriteText(dir_ + "/home/.erlang.cookie", Cookie(), 0400) &&
            WriteText(dir_ + "/plugins", "[rabbitmq_mqtt].\n") && WriteText(dir_ + "/env.conf", "");
  for (size_t i = 0; ok && i < nodes_.size(); ++i) {
    const std::string node_dir = dir_ + "/n" + std::to_string(i + 1);
    std::ostringstream conf;
    conf << "listeners.tcp.default = 127.0.0.1:" << nodes_[i].amqp_port << "\n"
         << "mqtt.listeners.tcp.default = 127.0.0.1:" << nodes_[i].mqtt_port << "\n"
         << "mqtt.allow_anonymous = false\n"
         << "loopback_users = none\n"
         << "default_user = " << user << "\n"
         << "default_pass = " << password << "\n"
         << "cluster_formation.peer_discovery_backend = classic_config\n";
    for (size_t k = 0; k < nodes_.size(); ++k) {
      conf << "cluster_formation.classic_config.nodes." << k + 1 << " = " << NodeName(static_cast<int>(k)) << "\n";
    }
    ok = mkdir(node_dir.c_str(), 0755) == 0 && WriteText(node_dir + "/rabbit.conf", conf.str());
  }
  if (ok && as_root_) {
    const passwd *account = getpwnam(kUser);
    if (account == nullptr) return error = "no user rabbitmq (is rabbitmq-server installed?)", false;
    g_uid = account->pw_uid;
    g_gid = account->pw_gid;
    ok = nftw(dir_.c_str(), ChownEntry, 16, FTW_PHYS) == 0;
  }
  if (!ok) error = "cannot prepare " + dir_;
  return ok;
}

std::vector<std::string> RabbitCluster::Environment(int index) const {
  const std::string node_dir = dir_ + "/n" + std::to_string(index + 1);
  const Node &node = nodes_[static_cast<size_t>(index)];
  return {"PATH=/usr/sbin:/usr/bin:/sbin:/bin",
          "HOME=" + dir_ + "/home",
          "ERL_EPMD_PORT=" + std::to_string(epmd_port_),
          "RABBITMQ_NODENAME=" + NodeName(index),
          "RABBITMQ_DIST_PORT=" + std::to_string(node.dist_port),
          "RABBITMQ_CONFIG_FILE=" + node_dir + "/rabbit.conf",
          "RABBITMQ_ADVANCED_CONFIG_FILE=" + node_dir + "/advanced.config",
          "RABBITMQ_ENABLED_PLUGINS_FILE=" + dir_ + "/plugins",
          "RABBITMQ_CONF_ENV_FILE=" + dir_ + "/env.conf",
          "RABBITMQ_MNESIA_BASE=" + node_dir + "/mnesia",
          "RABBITMQ_LOG_BASE=" + node_dir + "/log",
          "RABBITMQ_PID_FILE=" + node_dir + "/pid",
          "RABBITMQ_PLUGINS_EXPAND_DIR=" + node_dir + "/plugins-expand"};
}

// In a forked child: exec argv with exactly `env`, as the rabbitmq user when
// the test runs as root.
void RabbitCluster::RunAsNodesUser(const std::vector<std::string> &argv, const std::vector<std::string> &env) const {
  std::vector<std::string> command;
  if (as_root_) command = {"/usr/sbin/runuser", "-u", kUser, "--"};
  command.push_back("/usr/bin/env");
  command.push_back("-i");
  command.insert(command.end(), env.begin(), env.end());
  command.insert(command.end(), argv.begin(), argv.end());
  std::vector<char *> args = Pointers(command);
  if (chdir(dir_.c_str()) != 0) _exit(126);
  execv(args[0], args.data());
  _exit(127);
}

bool RabbitCluster::Launch(int index, std::string &error) {
  const std::string out = dir_ + "/n" + std::to_string(index + 1) + "/out.txt";
  const pid_t pid = fork();
  if (pid < 0) return error = "fork failed", false;
  if (pid == 0) {
    setpgid(0, 0);  // the node's processes in one group of their own
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    RunAsNodesUser({kServer}, Environment(index));
  }
  setpgid(pid, pid);
  nodes_[static_cast<size_t>(index)].pid = pid;
  return true;
}

int RabbitCluster::Ctl(const std::vector<std::string> &args, std::string &out) const {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fds[1], 1);
    dup2(pipe_fds[1], 2);
    std::vector<std::string> argv = {kCtl};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = Environment(0);
    RunAsNodesUser(argv, {env[0], env[1], env[2], env[8]});  // PATH, HOME, ERL_EPMD_PORT, conf env file
  }
  close(pipe_fds[1]);
  out.clear();
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RabbitCluster::WaitForNode(int index, std::string &error) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kClusterWaitS);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Accepts(nodes_[static_cast<size_t>(index)].mqtt_port)) return true;
    if (waitpid(nodes_[static_cast<size_t>(index)].pid, nullptr, WNOHANG) != 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  error = NodeName(index) + " did not start: " + LogOf(index);
  return false;
}

// Members of the MQTT client-id registry as the first node sees them.
int RabbitCluster::RegistryMembers() const {
  std::string out;
  if (Ctl({"-n", NodeName(0), "eval", "{ok, M, _} = ra:members({mqtt_node, node()}), length(M)."}, out) != 0) return -1;
  return std::atoi(out.c_str());
}

bool RabbitCluster::WaitForCluster(std::string &error) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kClusterWaitS);
  std::string out;
  while (std::chrono::steady_clock::now() < deadline) {
    bool listening = true;
    for (const Node &node : nodes_) listening = listening && Accepts(node.mqtt_port);
    if (listening && Ctl({"-n", NodeName(0), "cluster_status", "--formatter", "json"}, out) == 0) {
      const size_t running = out.find("\"running_nodes\"");
      const size_t end = out.find(']', running);
      int count = 0;
      for (size_t at = out.find("@localhost", running); running != std::string::npos && at < end;
           at = out.find("@localhost", at + 1)) {
        ++count;
      }
      if (count == static_cast<int>(nodes_.size()) && RegistryMembers() == count) return true;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  error = "the cluster did not form in " + std::to_string(kClusterWaitS) + " s: " + out;
  return false;
}

bool RabbitCluster::Start(int count, const std::string &user, const std::string &password, std::string &error) {
  if (!Installed()) return error = "rabbitmq-server is not installed (scripts/install-deps.sh)", false;
  as_root_ = geteuid() == 0;
  const char *tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/varnok-rabbit-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return error = "cannot make a temporary folder", false;
  dir_ = pattern;
  chmod(dir_.c_str(), 0755);
  epmd_port_ = MosquittoBroker::FreeLoopbackPort();
  nodes_.assign(static_cast<size_t>(count), Node());
  for (Node &node : nodes_) {
    node.amqp_port = MosquittoBroker::FreeLoopbackPort();
    node.mqtt_port = MosquittoBroker::FreeLoopbackPort();
    node.dist_port = MosquittoBroker::FreeLoopbackPort();
  }
  bool ok = WriteFiles(user, password, error);
  // One node after the other: the MQTT plugin's client-id registry (a Ra
  // cluster of its own) refuses a node that asks to join while another
  // join is under way, and a registry of two members loses its majority
  // with the first node stopped, after which the others close their MQTT
  // connections.
  for (int i = 0; ok && i < count; ++i) ok = Launch(i, error) && WaitForNode(i, error);
  if (ok) ok = WaitForCluster(error);
  if (!ok) Stop();
  return ok;
}

bool RabbitCluster::StopNode(int index, std::string &error) {
  Node &node = nodes_[static_cast<size_t>(index)];
  if (node.pid <= 0) return error = NodeName(index) + " is not running", false;
  std::string out;
  Ctl({"-n", NodeName(index), "stop"}, out);
  if (!Reap(node.pid, 30000)) {
    kill(-node.pid, SIGKILL);  // its own group, started above
    waitpid(node.pid, nullptr, 0);
    error = NodeName(index) + " did not stop: " + out;
    node.pid = -1;
    return false;
  }
  node.pid = -1;
  return true;
}

bool RabbitCluster::KillNode(int index, std::string &error) {
  Node &node = nodes_[static_cast<size_t>(index)];
  if (node.pid <= 0) return error = NodeName(index) + " is not running", false;
  // The node's processes make up the group started for it (its epmd, of a
  // session of its own, stays for the others).
  kill(-node.pid, SIGKILL);
  waitpid(node.pid, nullptr, 0);
  node.pid = -1;
  return true;
}

void RabbitCluster::Stop() {
  std::string ignored;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i].pid > 0) StopNode(static_cast<int>(i), ignored);
  }
  if (epmd_port_ > 0 && !dir_.empty()) {
    // The first node started an epmd of its own on this port: end it.
    const pid_t pid = fork();
    if (pid == 0) {
      const int fd = open("/dev/null", O_WRONLY);
      if (fd >= 0) dup2(fd, 1), dup2(fd, 2);
      std::vector<std::string> env = Environment(0);
      RunAsNodesUser({kEpmd, "-port", std::to_string(epmd_port_), "-kill"}, {env[0], env[1]});
    }
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
  epmd_port_ = 0;
  if (!dir_.empty()) nftw(dir_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  dir_.clear();
  nodes_.clear();
}
