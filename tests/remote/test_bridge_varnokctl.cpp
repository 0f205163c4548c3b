// `varnokctl bridge` as an engineer runs it: against the platform on
// loopback, on a local pseudo-terminal, stopped with Ctrl-C.
#include <gtest/gtest.h>

#include "tests/remote/remote_test_support.h"
#include "tests/support/varnokctl_bridge_setup.h"

namespace {

TEST(BridgeVarnokctl, TerminalReachesRemoteDtuAndCtrlCEnds) {
  VarnokctlBridgeSetup setup;
  std::string error;
  ASSERT_TRUE(setup.Start(20, error)) << error;
  setup.Terminal().Write("AT+ZEVCFG=get|imei\r\n");
  std::string answer = setup.Terminal().ReadUntil("OK\r\n", std::chrono::milliseconds(5000));
  EXPECT_EQ(answer, std::string("\r\nimei : ") + kBridgeImei + "\r\n\r\nOK\r\n");
  // The simulated DTU saw the line exactly as typed.
  std::vector<std::string> lines =
      setup.Device().Device().WaitForLines(1, std::chrono::milliseconds(2000));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "AT+ZEVCFG=get|imei\r\n");

  ASSERT_TRUE(setup.Bridge().WaitFor("[Local-Rx]# : " + std::to_string(answer.size()) + ".", 5000));
  std::string log = setup.Bridge().Output();
  EXPECT_NE(log.find("[Local-Tx]# : 20."), std::string::npos) << log;
  EXPECT_EQ(setup.StopBridge(), 0);
  EXPECT_NE(setup.Bridge().Output().find("Disconnected"), std::string::npos);
}

// Counts how often `needle` stands in `text`.
size_t Occurrences(const std::string &text, const std::string &needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

TEST(BridgeVarnokctl, BrokerRestartHealsTheWholeRoad) {
  VarnokctlBridgeSetup setup;
  std::string error;
  ASSERT_TRUE(setup.Start(20, error)) << error;
  const int port = setup.Broker().Port();
  setup.Broker().Stop();
  ASSERT_TRUE(setup.Bridge().WaitFor("reconnecting in 1 s", 10000)) << setup.Bridge().Output();
  EXPECT_NE(setup.Bridge().Output().find("cloud link lost"), std::string::npos);
  ASSERT_TRUE(setup.Bridge().WaitFor("next try in 2 s", 10000)) << setup.Bridge().Output();

  ASSERT_TRUE(setup.Broker().Start(port)) << setup.Broker().ErrorText();
  ASSERT_TRUE(WaitUntil([&] { return Occurrences(setup.Bridge().Output(), "Connect success") == 2; }, 20000))
      << setup.Bridge().Output();
  ASSERT_TRUE(WaitUntil([&] { return setup.Device().Link().Reconnects() == 1; }, 20000));

  setup.Terminal().Write("AT+ZEVCFG=get|imei\r\n");
  std::string answer = setup.Terminal().ReadUntil("OK\r\n", std::chrono::milliseconds(5000));
  EXPECT_EQ(answer, std::string("\r\nimei : ") + kBridgeImei + "\r\n\r\nOK\r\n");
  EXPECT_EQ(setup.StopBridge(), 0);
}

TEST(BridgeVarnokctl, RefusedLoginEndsBeforeTouchingThePort) {
  VarnokctlBridgeSetup setup;
  std::string error;
  ASSERT_TRUE(setup.StartPlatform(error)) << error;
  BridgeProcess &bridge =
      setup.Launch({"-p", setup.Terminal().SlavePath(), "--product-key", kBridgeProductKey,
                    "--product-secret", kBridgeProductSecret, "--device", kBridgeImei, "--user",
                    "engineer", "--password", "wrong"});
  EXPECT_EQ(bridge.WaitExit(20000), 8);  // the cloud failed
  EXPECT_NE(bridge.Output().find("login to https://127.0.0.1:"), std::string::npos)
      << bridge.Output();
}

TEST(BridgeVarnokctl, MissingDeviceOrBadInflightIsUsage) {
  VarnokctlBridgeSetup setup;
  BridgeProcess &no_device =
      setup.Launch({"-p", setup.Terminal().SlavePath(), "--product-key", "k", "--product-secret",
                    "s", "--user", "u", "--password", "p"});
  EXPECT_EQ(no_device.WaitExit(10000), 2);
  EXPECT_NE(no_device.Output().find("give --device IMEI"), std::string::npos);
  BridgeProcess &bad_window =
      setup.Launch({"-p", setup.Terminal().SlavePath(), "--device", "1", "--inflight", "21"});
  EXPECT_EQ(bad_window.WaitExit(10000), 2);
  EXPECT_NE(bad_window.Output().find("--inflight takes 1..20"), std::string::npos);
}

}  // namespace
