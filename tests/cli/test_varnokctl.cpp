// varnokctl as a separate process against the simulated device.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <string>

#include "link/dtu_cmd_port.h"
#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"

namespace {

using Result = VarnokctlResult;

}  // namespace

TEST(VarnokctlSend, EscapedLineOnTheWireAndTheAnswerPrinted) {
  auto sim = StartDtuSim();
  Result r = RunVarnokctl({"send", "-p", Path(*sim), "AT+ZEVCFG=set|mqtt-password|a|b,c"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "mqtt-password : a|b,c\n");
  auto lines = sim->ReceivedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "AT+ZEVCFG=set|mqtt-password|a[dec]b[comma]c\r\n");
}

TEST(VarnokctlSend, SevenDeviceInformationReadsInOrder) {
  auto sim = StartDtuSim();
  QStringList args{"send", "-p", Path(*sim)};
  for (const char *key : {"version", "imei", "imsi", "iccid", "remoteCfgInfo", "logLevel", "watchdog-switch"}) {
    args << QString("AT+ZEVCFG=get|%1").arg(key);
  }
  Result r = RunVarnokctl(args);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "version : VN-DTU-V1.0.3\nimei : 862104051234567\nimsi : 460041234567890\n"
            "iccid : 89860412345678901234\nremoteCfgInfo : 100001883cfg.example.com\nlogLevel : 2\n"
            "watchdog-switch : 1\n");
  EXPECT_EQ(sim->ReceivedLines().size(), 7u);
}

TEST(VarnokctlSend, SilentDeviceGivesNoAnswerExit) {
  DtuSimOptions options;
  options.silent_every = 2;
  auto sim = StartDtuSim(options);
  Result r = RunVarnokctl({"send", "-p", Path(*sim), "--timeout", "1", "AT+ZEVCFG=get|imei", "AT+ZEVCFG=get|imsi"});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "imei : 862104051234567\n");
  EXPECT_NE(r.err.find("1 of 2 lines got no answer"), std::string::npos) << r.err;
}

TEST(VarnokctlSend, PortErrorsAndBadOptionsHaveTheirExitCodes) {
  Result missing = RunVarnokctl({"send", "-p", "/dev/no-such-port", "AT"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("not exist error"), std::string::npos);

  auto sim = StartDtuSim();
  DtuCmdPort holder;
  DtuSerialSettings settings;
  settings.port = sim->SlavePath();
  std::string error;
  ASSERT_TRUE(holder.DtuCmdPortOpen(settings, error));
  Result in_use = RunVarnokctl({"send", "-p", Path(*sim), "AT"});
  EXPECT_EQ(in_use.exit_code, 4);
  // In use says so; the dialout advice is for a port the user may not open.
  EXPECT_NE(in_use.err.find("The port is in use by another program."), std::string::npos) << in_use.err;
  EXPECT_EQ(in_use.err.find("dialout"), std::string::npos) << in_use.err;
  EXPECT_NE(in_use.err.find("access denied error"), std::string::npos);
  holder.Close();

  EXPECT_EQ(RunVarnokctl({"send", "-p", Path(*sim)}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({"send", "-p", Path(*sim), "--baud", "fast", "AT"}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({"send", "-p", Path(*sim), "--parity", "sometimes", "AT"}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({"send", "AT"}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({"frobnicate"}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({}).exit_code, 2);
  EXPECT_TRUE(sim->ReceivedLines().empty());
}

TEST(VarnokctlSend, UnpluggedDeviceGivesPortLostExit) {
  DtuSimOptions options;
  options.unplug_after = 1;
  auto sim = StartDtuSim(options);
  Result r = RunVarnokctl({"send", "-p", Path(*sim), "AT+ZEVCFG=get|imei", "AT+ZEVCFG=get|imsi", "AT+ZEVCFG=get|iccid"});
  EXPECT_EQ(r.exit_code, 5);
  EXPECT_NE(r.err.find("the port was closed: read failed error"), std::string::npos) << r.err;
}

TEST(VarnokctlRaw, WritesUnqueuedAndPrintsWhatComesBack) {
  auto sim = StartDtuSim();
  Result r = RunVarnokctl({"raw", "-p", Path(*sim), "--timeout", "0.5", "AT"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "OK\n");
  auto lines = sim->ReceivedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "AT\r\n");
  Result get = RunVarnokctl({"raw", "-p", Path(*sim), "--timeout", "0.5", "AT+ZEVCFG=get|set|x"});
  EXPECT_EQ(get.out, "ERROR\n");  // not escaped: the device sees a bad key
}

TEST(VarnokctlPorts, ListsWithoutError) {
  Result r = RunVarnokctl({"ports"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(RunVarnokctl({"ports", "extra"}).exit_code, 2);
}
