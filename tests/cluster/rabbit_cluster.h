// A RabbitMQ cluster of its own on 127.0.0.1 for the cluster test: N nodes
// named rabbitN@localhost, each with its own distribution, AMQP and MQTT
// port (the MQTT plugin on), one epmd on a port of their own, data and logs
// in a temporary folder (owned by the rabbitmq user, as which the nodes run,
// when the test runs as root). The package's own service, configuration and
// cookie are left alone. The nodes start one after the other and form the
// cluster by themselves (classic peer discovery); it counts as formed when
// every node runs in it and the MQTT plugin's client-id registry has them
// all. The product's account is their default user, with loopback_users =
// none.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class RabbitCluster {
 public:
  RabbitCluster() = default;
  ~RabbitCluster();
  RabbitCluster(const RabbitCluster &) = delete;
  RabbitCluster &operator=(const RabbitCluster &) = delete;

  // Starts `nodes` nodes and waits until every one runs in one cluster with
  // its MQTT listener up. False with `error` (and the nodes stopped).
  bool Start(int nodes, const std::string &user, const std::string &password, std::string &error);
  // Stops one node (from 0) the way an operator would (rabbitmqctl stop,
  // which closes its clients' connections one after the other: seconds).
  bool StopNode(int index, std::string &error);
  // Ends a node at once, as when its machine fails: every client loses its
  // connection in the same moment.
  bool KillNode(int index, std::string &error);
  // Stops every node still running and epmd, removes the folder.
  void Stop();

  int MqttPort(int index) const { return nodes_[static_cast<size_t>(index)].mqtt_port; }
  std::string NodeName(int index) const;
  // The log of a node (for a failing test).
  std::string LogOf(int index) const;

  // True when rabbitmq-server is installed.
  static bool Installed();

 private:
  struct Node {
    int amqp_port = 0;
    int mqtt_port = 0;
    int dist_port = 0;
    pid_t pid = -1;  // the launcher (runuser or the rabbitmq-server script)
  };
  bool WriteFiles(const std::string &user, const std::string &password, std::string &error);
  bool Launch(int index, std::string &error);
  // rabbitmqctl with `args` as the nodes' user, with their cookie and epmd;
  // its exit code, output in `out`.
  int Ctl(const std::vector<std::string> &args, std::string &out) const;
  bool WaitForNode(int index, std::string &error);
  bool WaitForCluster(std::string &error);
  int RegistryMembers() const;
  std::vector<std::string> Environment(int index) const;
  void RunAsNodesUser(const std::vector<std::string> &argv, const std::vector<std::string> &env) const;

  std::string dir_;
  int epmd_port_ = 0;
  bool as_root_ = false;
  std::vector<Node> nodes_;
};
