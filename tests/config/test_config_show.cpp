// What `varnokctl config show` prints for a hand-edited profile.
#include <gtest/gtest.h>

#include "config/dtu_config_show.h"
#include "config_test_support.h"

TEST(ConfigShow, PrintsTheValuesTheToolWillUseWithNotes) {
  TempDir dir;
  const std::string path = dir.File("profile.txt");
  config_test::WriteBytes(path,
                          "[uart]\nBaudrate = 12abc\nParity=3\n[netInfo]\napn=" + std::string(40, 'a') +
                              "\n[DLT645]\ndi1_2=00020000\n[iotInfo]\nusername = alice\n"
                              "[platform]\nmqttPort = 1883\n");
  std::string out;
  ASSERT_TRUE(DtuConfigShow(path, out));
  EXPECT_NE(out.find("[UART]\nBaudrate=12    # the file says \"12abc\"\nDatabit=0    # not in the file\n"
                     "Parity=3\n\n[MODBUS]\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("apn=" + std::string(32, 'a') + "    # cut to 32 of 40 bytes\n"), std::string::npos);
  EXPECT_NE(out.find("diNum1=0    # not in the file\ndi1_2=00020000\naddr2="), std::string::npos);
  EXPECT_NE(out.find("[iotInfo]\nusername = alice\npassword =     # not in the file\n"), std::string::npos);
  EXPECT_NE(out.find("# kept as written:\n[platform]\nmqttPort = 1883\n"), std::string::npos);
  EXPECT_EQ(out.find("username = alice", out.find("# kept")), std::string::npos);

  config_test::MessageRecorder recorder;
  EXPECT_FALSE(DtuConfigShow(dir.File("missing.txt"), out));
  EXPECT_EQ(recorder.messages().size(), 1u);
}
