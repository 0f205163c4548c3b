// Client identifier rule and device topics of the remote bridge.
#include <gtest/gtest.h>

#include <cctype>
#include <regex>

#include "remote/dtu_remote_ids.h"

namespace {

std::tm SampleTime() {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 0;  // January
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 8;
  t.tm_sec = 9;
  return t;
}

TEST(RemoteClientId, FirstQualifyingAdapterAsUpperCaseHex) {
  std::vector<DtuHardwareAddress> adapters = {
      {0, 0, 0, 0, 0, 0},                    // loopback: all zero, skipped
      {0x02, 0x42},                          // too short, skipped
      {0x00, 0x1a, 0x2b, 0xc3, 0xd4, 0xef},  // first that qualifies
      {0x11, 0x22, 0x33, 0x44, 0x55, 0x66},
  };
  EXPECT_EQ(DtuClientIdFromAdapters(adapters, SampleTime()), "001A2BC3D4EF");
}

TEST(RemoteClientId, LongerAddressUsesItsFirstSixBytes) {
  std::vector<DtuHardwareAddress> adapters = {{0, 0, 0, 0, 0, 0, 0, 1},
                                              {0xfe, 0x80, 0, 0, 0, 1, 0xaa, 0xbb}};
  // The first has non-zero bytes only past the sixth: it does not qualify.
  EXPECT_EQ(DtuClientIdFromAdapters(adapters, SampleTime()), "FE8000000001");
}

TEST(RemoteClientId, NoQualifyingAdapterGivesLocalTimeStamp) {
  EXPECT_EQ(DtuClientIdFromAdapters({}, SampleTime()), "20260105070809");
  EXPECT_EQ(DtuClientIdFromAdapters({{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}, SampleTime()),
            "20260105070809");
}

TEST(RemoteClientId, ThisMachineGivesTwelveHexOrFourteenDigits) {
  std::string id = DtuRemoteClientId();
  ASSERT_TRUE(id.size() == 12 || id.size() == 14) << id;
  for (char c : id) {
    if (id.size() == 12) EXPECT_TRUE(isdigit(c) || (c >= 'A' && c <= 'F')) << id;
    else EXPECT_TRUE(isdigit(c)) << id;
  }
}

TEST(RemoteClientId, InstanceIdsCarryTheProcessTagWithinTheMqttLimit) {
  const std::string mac = DtuInstanceClientId("A1B2C3D4E5F6");
  EXPECT_TRUE(std::regex_match(mac, std::regex("A1B2C3D4E5F6-[0-9a-f]{8}"))) << mac;
  const std::string stamp = DtuInstanceClientId("20260105070809");
  EXPECT_EQ(stamp.size(), 23u) << stamp;
  EXPECT_EQ(stamp.substr(14), mac.substr(12)) << "one tag for the whole process: a reconnect keeps its session";
}

TEST(RemoteTopics, FilledWithProductKeyAndDevice) {
  DtuRemoteTopics t = DtuRemoteDeviceTopics("a1B2c3", "860000000000001");
  EXPECT_EQ(t.subscribe, "sys/a1B2c3/860000000000001/user/update");
  EXPECT_EQ(t.publish, "sys/a1B2c3/860000000000001/user/get");
}

TEST(RemoteTopics, EmptyDeviceLeavesTwoSlashes) {
  DtuRemoteTopics t = DtuRemoteDeviceTopics("pk", "");
  EXPECT_EQ(t.subscribe, "sys/pk//user/update");
  EXPECT_EQ(t.publish, "sys/pk//user/get");
}

TEST(RemoteTopics, CutTo255Characters) {
  DtuRemoteTopics t = DtuRemoteDeviceTopics(std::string(300, 'k'), "dev");
  EXPECT_EQ(t.subscribe.size(), 255u);
  EXPECT_EQ(t.publish, "sys/" + std::string(251, 'k'));
}

}  // namespace
