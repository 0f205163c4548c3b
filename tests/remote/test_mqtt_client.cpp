// The cloud MQTT link against a real mosquitto broker on loopback.
#include <gtest/gtest.h>

#include <malloc.h>

#include <string>

#include "remote/tam_mqtt_client.h"
#include "tests/remote/remote_test_support.h"
#include "sim/platform_broker.h"
#include "sim/platform_mqtt_peer.h"

namespace {

class MqttClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    broker_ = new MosquittoBroker();
    ASSERT_TRUE(broker_->Start()) << broker_->ErrorText();
  }
  static void TearDownTestSuite() {
    delete broker_;
    broker_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(broker_, nullptr);
    LinkReceiverLog::First().Clear();
    LinkReceiverLog::Second().Clear();
    std::string error;
    ASSERT_TRUE(peer_.Connect(broker_->Host(), broker_->Port(), UniqueClientId("peer"), error))
        << error;
  }
  void TearDown() override {
    tam_mqtt_client_close();
    peer_.Disconnect();
  }

  tam_mqtt_client_params Params(const std::string &sub, const std::string &pub) {
    client_id_ = UniqueClientId("link");
    sub_ = sub;
    pub_ = pub;
    tam_mqtt_client_params p{};
    p.host = broker_->Host().c_str();
    p.port = broker_->Port();
    p.client_id = client_id_.c_str();
    p.username = "productKey";
    p.password = "productSecret";
    p.sub_topic = sub_.c_str();
    p.pub_topic = pub_.c_str();
    p.on_message = &LinkReceiverLog::RecordFirst;
    return p;
  }

  // Sends through the link and returns what the peer (subscribed to topic) got.
  std::string RoundTripToPeer(const std::string &payload) {
    EXPECT_EQ(tam_mqtt_client_send(payload.data(), static_cast<int>(payload.size())), 0);
    MqttPeer::Message got;
    if (!peer_.WaitMessage(got, 5000)) return "<nothing>";
    return got.payload;
  }

  static MosquittoBroker *broker_;
  MqttPeer peer_;
  std::string client_id_, sub_, pub_;
};

MosquittoBroker *MqttClientTest::broker_ = nullptr;

TEST_F(MqttClientTest, SendsAndReceivesBytesWhole) {
  ScopedTestLog log("mqtt_send_receive");
  tam_mqtt_client_params p = Params("sys/pk/dev1/user/update", "sys/pk/dev1/user/get");
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  EXPECT_EQ(tam_mqtt_client_connected(), 1);
  ASSERT_TRUE(peer_.Subscribe("sys/pk/dev1/user/get", 0));

  // Zero bytes travel as data in both directions; nothing is added.
  const std::string binary("AT\0+\0\0x\r\n", 9);
  EXPECT_EQ(RoundTripToPeer(binary), binary);

  ASSERT_EQ(peer_.Publish("sys/pk/dev1/user/update", binary, 0), 0);
  LinkReceiverLog::Entry entry;
  ASSERT_TRUE(LinkReceiverLog::First().Wait(entry, 5000));
  EXPECT_EQ(entry.topic, "sys/pk/dev1/user/update");
  EXPECT_EQ(entry.payload, binary);
}

TEST_F(MqttClientTest, ConnectWhileConnectedKeepsFirstConnection) {
  ScopedTestLog log("mqtt_connect_twice");
  tam_mqtt_client_params first = Params("twice/first/update", "twice/first/get");
  ASSERT_EQ(tam_mqtt_client_init(&first), 0);

  std::string sub2 = "twice/second/update", pub2 = "twice/second/get", id2 = UniqueClientId("x");
  tam_mqtt_client_params second = first;
  second.client_id = id2.c_str();
  second.sub_topic = sub2.c_str();
  second.pub_topic = pub2.c_str();
  second.on_message = &LinkReceiverLog::RecordSecond;
  EXPECT_EQ(tam_mqtt_client_init(&second), 0);
  EXPECT_TRUE(log.Contains("[tam_mqtt_client_init,"));
  EXPECT_TRUE(log.Contains("Device is connected."));

  // Sends still go to the first publish topic, messages to the first receiver.
  ASSERT_TRUE(peer_.Subscribe("twice/+/get", 0));
  EXPECT_EQ(RoundTripToPeer("hello"), "hello");
  ASSERT_EQ(peer_.Publish("twice/first/update", "back", 0), 0);
  LinkReceiverLog::Entry entry;
  ASSERT_TRUE(LinkReceiverLog::First().Wait(entry, 5000));
  EXPECT_EQ(entry.payload, "back");
  EXPECT_EQ(LinkReceiverLog::Second().Count(), 0u);
}

TEST_F(MqttClientTest, PublishTopicIsCutTo255Characters) {
  std::string long_topic(300, 't');
  long_topic.replace(0, 4, "cut/");
  tam_mqtt_client_params p = Params("", long_topic);
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  ASSERT_TRUE(peer_.Subscribe(long_topic.substr(0, 255), 0));
  EXPECT_EQ(RoundTripToPeer("cut"), "cut");
}

TEST_F(MqttClientTest, RejectsMissingParamsAndEmptyPayloads) {
  ScopedTestLog log("mqtt_bad_input");
  EXPECT_EQ(tam_mqtt_client_init(nullptr), -1);
  EXPECT_EQ(tam_mqtt_client_send("x", 1), -1);  // no client yet
  EXPECT_TRUE(log.Contains("MQTT Client is Invalid."));

  tam_mqtt_client_params p = Params("", "empty/get");  // empty subscribe: send-only link
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  ASSERT_TRUE(peer_.Subscribe("empty/get", 0));
  EXPECT_EQ(tam_mqtt_client_send("abc", 0), -2);
  EXPECT_EQ(tam_mqtt_client_send(nullptr, 3), -2);
  EXPECT_TRUE(log.Contains("Input Params Invalid."));
  // The first thing the peer sees is the marker: the refused sends published nothing.
  EXPECT_EQ(RoundTripToPeer("marker"), "marker");
  EXPECT_EQ(peer_.QueuedCount(), 0u);
}

TEST_F(MqttClientTest, FailedConnectLeavesLinkIdle) {
  ScopedTestLog log("mqtt_connect_refused");
  tam_mqtt_client_params p = Params("", "refused/get");
  p.port = MosquittoBroker::FreeLoopbackPort();  // nobody listens there
  EXPECT_EQ(tam_mqtt_client_init(&p), -3);
  EXPECT_TRUE(log.Contains("MQTTClient_connect failed, result : "));
  EXPECT_EQ(tam_mqtt_client_connected(), 0);
  EXPECT_EQ(tam_mqtt_client_send("x", 1), -1);
  EXPECT_TRUE(log.Contains("MQTT Client is Invalid."));
}

TEST_F(MqttClientTest, CloseReleasesAndAllowsReconnect) {
  tam_mqtt_client_params p = Params("close/update", "close/get");
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  tam_mqtt_client_close();
  EXPECT_EQ(tam_mqtt_client_connected(), 0);
  EXPECT_EQ(tam_mqtt_client_send("x", 1), -1);
  tam_mqtt_client_close();  // closing an idle link does nothing

  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  ASSERT_TRUE(peer_.Subscribe("close/get", 0));
  EXPECT_EQ(RoundTripToPeer("again"), "again");
}

TEST_F(MqttClientTest, BackToBackChunksArriveInOrder) {
  tam_mqtt_client_params p = Params("", "order/get");
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  ASSERT_TRUE(peer_.Subscribe("order/get", 0));
  const int kChunks = 200;
  for (int i = 0; i < kChunks; ++i) {
    std::string chunk = "chunk-" + std::to_string(i);
    ASSERT_EQ(tam_mqtt_client_send(chunk.data(), static_cast<int>(chunk.size())), 0) << i;
  }
  for (int i = 0; i < kChunks; ++i) {
    MqttPeer::Message got;
    ASSERT_TRUE(peer_.WaitMessage(got, 10000)) << "lost after " << i;
    EXPECT_EQ(got.payload, "chunk-" + std::to_string(i));
  }
}

// The broker goes away: the link notices, refuses to send, and a later
// connect builds a new client (the old one is released first).
TEST(MqttClientLostTest, BrokerStoppedThenBackReconnects) {
  ScopedTestLog log("mqtt_broker_lost");
  MosquittoBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.ErrorText();
  std::string id = UniqueClientId("lost");
  tam_mqtt_client_params p{};
  p.host = broker.Host().c_str();
  p.port = broker.Port();
  p.client_id = id.c_str();
  p.username = "u";
  p.password = "p";
  p.sub_topic = "lost/update";
  p.pub_topic = "lost/get";
  p.on_message = &LinkReceiverLog::RecordFirst;
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);

  broker.Stop();
  ASSERT_TRUE(WaitUntil([] { return tam_mqtt_client_connected() == 0; }, 10000));
  EXPECT_TRUE(log.Contains("[_mqtt_disconnect_event,"));
  EXPECT_TRUE(log.Contains("cause : "));
  EXPECT_EQ(tam_mqtt_client_send("x", 1), -1);
  EXPECT_TRUE(log.Contains("Device is disconnect, please check."));
  tam_mqtt_client_close();  // does nothing while the connection is lost

  ASSERT_TRUE(broker.Start(p.port)) << broker.ErrorText();
  ASSERT_EQ(tam_mqtt_client_init(&p), 0);
  EXPECT_EQ(tam_mqtt_client_connected(), 1);
  MqttPeer peer;
  std::string error;
  ASSERT_TRUE(peer.Connect(broker.Host(), broker.Port(), UniqueClientId("peer"), error)) << error;
  ASSERT_TRUE(peer.Subscribe("lost/get", 0));
  ASSERT_EQ(tam_mqtt_client_send("back", 4), 0);
  MqttPeer::Message got;
  ASSERT_TRUE(peer.WaitMessage(got, 5000));
  EXPECT_EQ(got.payload, "back");
  // The subscription is made again on the new connection.
  LinkReceiverLog::First().Clear();
  ASSERT_EQ(peer.Publish("lost/update", "down", 0), 0);
  LinkReceiverLog::Entry entry;
  ASSERT_TRUE(LinkReceiverLog::First().Wait(entry, 5000));
  EXPECT_EQ(entry.payload, "down");
  tam_mqtt_client_close();
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VARNOK_HEAP_COUNTERS_USABLE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VARNOK_HEAP_COUNTERS_USABLE 0
#endif
#endif
#ifndef VARNOK_HEAP_COUNTERS_USABLE
#define VARNOK_HEAP_COUNTERS_USABLE 1
#endif

// A lost connection leaves its client object behind; every new connect must
// release it first. Another client taking over the link's identifier makes
// the broker drop the link, so the cycle is quick. Without the release each
// cycle keeps about 3 KB; the bound leaves room for allocator noise only.
TEST_F(MqttClientTest, ReconnectAfterLostConnectionReleasesOldClient) {
  if (!VARNOK_HEAP_COUNTERS_USABLE) GTEST_SKIP() << "heap counters differ under sanitizers";
  tam_mqtt_client_params p = Params("takeover/update", "takeover/get");
  const int kWarmUp = 3, kCycles = 12;
  size_t heap_before = 0;
  for (int i = 0; i < kWarmUp + kCycles; ++i) {
    if (i == kWarmUp) heap_before = mallinfo2().uordblks;
    ASSERT_EQ(tam_mqtt_client_init(&p), 0) << "cycle " << i;
    MqttPeer thief;
    std::string error;
    ASSERT_TRUE(thief.Connect(broker_->Host(), broker_->Port(), p.client_id, error)) << error;
    ASSERT_TRUE(WaitUntil([] { return tam_mqtt_client_connected() == 0; }, 5000)) << i;
    EXPECT_EQ(tam_mqtt_client_send("x", 1), -1);
  }
  size_t heap_after = mallinfo2().uordblks;
  size_t growth = heap_after > heap_before ? heap_after - heap_before : 0;
  EXPECT_LT(growth, 20u * 1024u) << "heap grew by " << growth << " bytes over " << kCycles
                                 << " reconnects";
}

}  // namespace
