// The simulator's remote device: broker messages on its "get" topic reach its
// serial line unchanged, and what the device writes comes back on "update".
#include <gtest/gtest.h>

#include "sim/platform_remote_dtu.h"
#include "tests/remote/remote_test_support.h"
#include "sim/platform_broker.h"
#include "tests/support/pty_pair.h"
#include "sim/platform_mqtt_peer.h"

namespace {

TEST(BridgeRemoteDtu, RelaysBothWaysBetweenTopicsAndLine) {
  MosquittoBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.ErrorText();
  PtyPair device;  // the test plays the device on the master end
    PlatformRemoteDtu remote;
  std::string error;
  ASSERT_TRUE(remote.Start(broker.Host(), broker.Port(), "pk1", "860000000000042",
                           device.SlavePath(), error))
      << error;
  EXPECT_EQ(remote.GetTopic(), "sys/pk1/860000000000042/user/get");
  EXPECT_EQ(remote.UpdateTopic(), "sys/pk1/860000000000042/user/update");

  MqttPeer tool;
  ASSERT_TRUE(tool.Connect(broker.Host(), broker.Port(), UniqueClientId("tool"), error)) << error;
  ASSERT_TRUE(tool.Subscribe(remote.UpdateTopic(), 0));

  const std::string command("AT+ZEVCFG=get|imei\r\n\0\xff", 22);
  ASSERT_EQ(tool.Publish(remote.GetTopic(), command, 2), 0);
  EXPECT_EQ(ReadCount(device, command.size(), 5000), command);

  const std::string answer = "imei : 860000000000042\r\nOK\r\n";
  device.Write(answer);
  std::string received;
  MqttPeer::Message m;
  while (received.size() < answer.size() && tool.WaitMessage(m, 5000)) received += m.payload;
  EXPECT_EQ(received, answer);
  EXPECT_EQ(remote.BytesToDevice(), static_cast<long long>(command.size()));
  EXPECT_EQ(remote.BytesFromDevice(), static_cast<long long>(answer.size()));
}

TEST(BridgeRemoteDtu, StartFailsClearlyOnMissingLine) {
  PlatformRemoteDtu remote;
  std::string error;
  EXPECT_FALSE(remote.Start("127.0.0.1", MosquittoBroker::FreeLoopbackPort(), "pk", "d",
                            "/nonexistent/tty", error));
  EXPECT_NE(error.find("cannot open /nonexistent/tty"), std::string::npos) << error;
}

}  // namespace
