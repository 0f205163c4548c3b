// platform-sim as a user starts it: it says where everything is, serves the
// device list and the remote devices, and takes its broker along when stopped.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <regex>

#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"
#include "tests/support/varnokctl_bridge_setup.h"

namespace {

// Child process ids of `pid` (all its threads).
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  std::string task_dir = "/proc/" + std::to_string(pid) + "/task/";
  std::ifstream tasks(task_dir + std::to_string(pid) + "/children");
  pid_t child;
  while (tasks >> child) children.push_back(child);
  return children;
}

TEST(BridgePlatformSim, PrintsWhereEverythingIsAndStopsItsBroker) {
  TempDir dir;
  BridgeProcess sim;
  ASSERT_TRUE(sim.Start({VARNOK_PLATFORM_SIM_PATH}, {}, dir.Path()));
  ASSERT_TRUE(sim.WaitFor("export VARNOK_API_BASE=", 30000)) << sim.Output();
  std::string out = sim.Output();
  std::smatch m;
  ASSERT_TRUE(std::regex_search(out, m, std::regex("MQTT broker   : 127\\.0\\.0\\.1:(\\d+)")));
  EXPECT_TRUE(std::regex_search(out, std::regex("REST base URL : https://127\\.0\\.0\\.1:\\d+")));
  EXPECT_TRUE(std::regex_search(out, std::regex("CA file       : /\\S+\\.pem")));
  EXPECT_NE(out.find("account       : engineer / varnok-demo"), std::string::npos);
  EXPECT_NE(out.find("device      : 860000000000003"), std::string::npos);
  EXPECT_NE(out.find("remote DTUs   : 3"), std::string::npos);

  std::vector<pid_t> children = ChildrenOf(sim.Pid());
  ASSERT_EQ(children.size(), 1u) << "the broker runs as the simulator's child";
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_NE(sim.Output().find("platform-sim: stopping"), std::string::npos);
  EXPECT_EQ(kill(children[0], 0), -1) << "broker " << children[0] << " outlived the simulator";
}

TEST(BridgePlatformSim, AFleetListsEveryDeviceAndNamesTheFaultyOnes) {
  TempDir dir;
  BridgeProcess sim;
  ASSERT_TRUE(sim.Start({VARNOK_PLATFORM_SIM_PATH, "--devices", "40", "--faulty", "5%", "--fault", "error-key",
                         "mqtt-qos"},
                        {}, dir.Path()));
  ASSERT_TRUE(sim.WaitFor("export VARNOK_API_BASE=", 30000)) << sim.Output();
  const std::string out = sim.Output();
  const std::regex device("    device      : (86\\d{13}) \\((\\S+)\\)\n");
  int count = 0;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), device); it != std::sregex_iterator(); ++it) ++count;
  EXPECT_EQ(count, 40);
  EXPECT_NE(out.find("device      : 860000000000040 (dtu-0040)"), std::string::npos);
  // 5 % of 40: two devices, in the middle of each half.
  EXPECT_NE(out.find("  faulty        : 860000000000011 (error-key mqtt-qos)\n"
                     "  faulty        : 860000000000031 (error-key mqtt-qos)\n"
                     "  remote DTUs   : 40"),
            std::string::npos)
      << out;
  EXPECT_EQ(sim.Stop(), 0);
}

struct BadArguments {
  std::vector<std::string> args;
  const char *says;
};

TEST(BridgePlatformSim, BadFleetArgumentsAreUsage) {
  const BadArguments rows[] = {
      {{"--devices", "1001"}, "bad argument '--devices'"},
      {{"--faulty", "10%"}, "--faulty needs --fault"},
      {{"--faulty", "10%", "--fault", "error-key"}, "bad argument '--fault'"},
      {{"--fault", "silent"}, "--fault needs --faulty P%"},
      {{"--broker", "127.0.0.1:0"}, "--broker: bad broker port"},
  };
  for (const BadArguments &row : rows) {
    TempDir dir;
    BridgeProcess sim;
    std::vector<std::string> args = {VARNOK_PLATFORM_SIM_PATH};
    args.insert(args.end(), row.args.begin(), row.args.end());
    ASSERT_TRUE(sim.Start(args, {}, dir.Path()));
    EXPECT_EQ(sim.WaitExit(10000), 2) << row.says;
    EXPECT_NE(sim.Output().find(row.says), std::string::npos) << sim.Output();
  }
}

TEST(BridgePlatformSim, BadArgumentIsUsage) {
  TempDir dir;
  BridgeProcess sim;
  ASSERT_TRUE(sim.Start({VARNOK_PLATFORM_SIM_PATH, "--mqtt-port", "70000"}, {}, dir.Path()));
  EXPECT_EQ(sim.WaitExit(10000), 2);
  EXPECT_NE(sim.Output().find("bad argument '--mqtt-port'"), std::string::npos) << sim.Output();
}

}  // namespace
