// The command ring and DtuCmdPort::DtuCmdRingbufSend.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/dtu_log.h"
#include "link/dtu_cmd_port.h"
#include "link/dtu_cmd_ring.h"
#include "tests/support/temp_dir.h"

namespace {

int Queue(const std::string &line) { return DtuCmdPort::DtuCmdRingbufSend(line.data(), static_cast<int>(line.size())); }

class Ring : public ::testing::Test {
 protected:
  void SetUp() override {
    DtuCmdRingInstance().Clear();
    log_ = std::string("ring_log_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(log_.c_str());
    DtuLogSetPath(log_);
  }
  void TearDown() override {
    DtuLogSetPath("./log.txt");
    DtuCmdRingInstance().Clear();
  }
  std::string log_;
};

}  // namespace

TEST_F(Ring, SixtyFourthCommandIsDroppedAndLoggedTheOthersStayInOrder) {
  for (int i = 0; i < 63; ++i) ASSERT_EQ(Queue("AT+ZEVCFG=get|cmd" + std::to_string(i) + "\r\n"), 0) << i;
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 63);
  EXPECT_EQ(Queue("AT+ZEVCFG=get|dropped\r\n"), -1);
  EXPECT_NE(ReadWholeFile(log_).find("]# tam_ringbuf_item_put failed, len : 0.\n"), std::string::npos) << ReadWholeFile(log_);
  DtuCmdSlot slot;
  for (int i = 0; i < 63; ++i) {
    ASSERT_EQ(tam_ringbuf_item_get(&slot), 0);
    std::string expected = "AT+ZEVCFG=get|cmd" + std::to_string(i) + "\r\n";
    ASSERT_EQ(slot.length, static_cast<int>(expected.size()));
    EXPECT_EQ(std::string(slot.text, static_cast<size_t>(slot.length)), expected);
    EXPECT_EQ(slot.text[slot.length], '\0');
  }
  EXPECT_EQ(tam_ringbuf_item_get(&slot), -1);
}

TEST_F(Ring, EmptyOrNegativeLengthIsRefusedNotQueued) {
  EXPECT_EQ(DtuCmdPort::DtuCmdRingbufSend("AT\r\n", 0), -1);
  EXPECT_EQ(DtuCmdPort::DtuCmdRingbufSend("AT\r\n", -1), -1);
  EXPECT_EQ(DtuCmdPort::DtuCmdRingbufSend(nullptr, 4), -1);
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);
  EXPECT_NE(ReadWholeFile(log_).find("len : -1."), std::string::npos);
}

TEST_F(Ring, QueuedSlotHoldsTheEscapedText) {
  ASSERT_EQ(Queue("AT+ZEVCFG=set|mqtt-password|a|b,c\r\n"), 0);
  DtuCmdSlot slot;
  ASSERT_EQ(tam_ringbuf_item_get(&slot), 0);
  EXPECT_EQ(std::string(slot.text, static_cast<size_t>(slot.length)),
            "AT+ZEVCFG=set|mqtt-password|a[dec]b[comma]c\r\n");
  for (int i = slot.length; i < kDtuCmdSlotTextSize; ++i) ASSERT_EQ(slot.text[i], '\0');
}

TEST_F(Ring, WrapsAroundAndClearEmptiesIt) {
  DtuCmdSlot slot;
  for (int round = 0; round < 200; ++round) {
    ASSERT_EQ(Queue("x" + std::to_string(round)), 0);
    ASSERT_EQ(tam_ringbuf_item_get(&slot), 0);
    ASSERT_EQ(std::string(slot.text, static_cast<size_t>(slot.length)), "x" + std::to_string(round));
  }
  Queue("a");
  Queue("b");
  DtuCmdRingInstance().Clear();
  EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);
  EXPECT_EQ(tam_ringbuf_item_get(&slot), -1);
}

TEST_F(Ring, ManyProducersOneConsumerLoseNothing) {
  DtuCmdRing ring;
  constexpr int kProducers = 4;
  constexpr int kEach = 500;
  std::atomic<int> taken{0};
  std::set<std::string> seen;
  std::thread consumer([&] {
    DtuCmdSlot slot;
    while (taken < kProducers * kEach) {
      if (ring.Get(&slot) == 0) {
        seen.insert(std::string(slot.text, static_cast<size_t>(slot.length)));
        ++taken;
      } else {
        ring.WaitForItem(std::chrono::milliseconds(5));
      }
    }
  });
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&ring, p] {
      DtuCmdSlot slot;
      for (int i = 0; i < kEach; ++i) {
        std::memset(&slot, 0, sizeof(slot));
        slot.length = std::snprintf(slot.text, sizeof(slot.text), "p%d-%d", p, i);
        while (ring.Put(slot) != 0) std::this_thread::yield();
      }
    });
  }
  for (auto &t : producers) t.join();
  consumer.join();
  EXPECT_EQ(seen.size(), static_cast<size_t>(kProducers * kEach));
}
