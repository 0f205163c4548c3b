// varnokctl as a separate process against the simulated device.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <cjson/cJSON.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "link/dtu_cmd_port.h"
#include "pages/dtu_page_runner.h"
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

namespace {

// The lines of a text that start with `start` followed by a blank.
std::vector<std::string> LinesStartingWith(const std::string &text, const std::string &start) {
  std::vector<std::string> found;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(start + " ", 0) == 0 || line == start) found.push_back(line);
  }
  return found;
}

}  // namespace

// What an engineer asks before typing a set: the pages, a page's fields.
TEST(VarnokctlFields, EachFieldOnALineOfItsOwnWithWhatItTakes) {
  struct Case {
    QStringList args;
    int code;
    std::vector<std::pair<std::string, std::string>> lines;  // a line's start, a part of the same line
    const char *err_part = "";  // a failure says why on stderr, and prints nothing
  } cases[] = {
      {{"fields", "mqtt"}, 0, {{"Server", "text, at most 127 bytes"}, {"Qos", "0..2"}, {"PubTopic", ""}}},
      {{"fields", "devinfo"}, 0, {{"IMEI", ""}, {"LogLevel", "Log Level: 0 DEBUG, 1 WARN, 2 INFO, 3 ERROR"}}},
      {{"fields", "dataport"}, 0, {{"BaudRate", "0..14"}, {"Parity", "0 None, 1 Odd, 2 Even"}}},
      {{"fields", "net"}, 0, {{"DialType", "0..1"}, {"APN", "text, at most 32 bytes"}}},
      {{"fields", "workmode"}, 0, {{"WorkMode", "0..3"}}},
      {{"fields", "tcpudp"}, 0, {{"TcpType", "0..1"}, {"UdpPort", "Server Port"}}},
      {{"fields", "aliyun"}, 0, {{"InstanceID", ""}}},
      {{"fields", "onenet"}, 0, {{"SubTopic", ""}}},
      {{"fields", "modbuscache"}, 0, {{"Function1", "1..4"}}},
      {{"fields", "dlt645"}, 0, {{"maxChannel", "1..6"}, {"di1_1", ""}}},
      {{"fields", "bhu"}, 0, {{"funcSwitch_login", "0..1"}, {"itemNum_login", "1..10"}}},
      {{"fields", "bhu", "--packet", "heart"}, 0, {{"cycle_heartBeat", ""}}},
      {{"fields", "nosuchpage"}, 2, {}, "unknown page \"nosuchpage\""},
      {{"fields", "devinfo", "--packet", "heart"}, 2, {}, "--packet applies to the bhu page only"},
      {{"fields"}, 2, {}, "no page given"},
  };
  for (const Case &c : cases) {
    const std::string what = c.args.join(' ').toStdString();
    Result r = RunVarnokctl(c.args);
    EXPECT_EQ(r.exit_code, c.code) << what << "\n" << r.err;
    for (const auto &[start, part] : c.lines) {
      const std::vector<std::string> found = LinesStartingWith(r.out, start);
      ASSERT_EQ(found.size(), 1u) << what << ": no single line for " << start << " in\n" << r.out;
      EXPECT_NE(found[0].find(part), std::string::npos) << what << ": " << found[0];
    }
    if (*c.err_part) {
      EXPECT_EQ(r.out, "") << what;
      EXPECT_NE(r.err.find(c.err_part), std::string::npos) << what << ": " << r.err;
    }
  }
}

TEST(VarnokctlFields, PageVerbHelpListsEveryPageOnceAndNoFields) {
  for (const char *verb : {"read", "set"}) {
    Result r = RunVarnokctl({verb, "--help"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    for (const std::string &page : DtuPageNames()) {
      EXPECT_EQ(LinesStartingWith(r.out, "  " + page).size(), 1u) << verb << " --help, page " << page << ":\n" << r.out;
    }
    for (const char *field : {"PubTopic", "BaudRate", "IMEI", "funcSwitch"}) {
      EXPECT_EQ(r.out.find(field), std::string::npos) << verb << " --help names the field " << field;
    }
  }
}

// read --json: one object a script can parse, or nothing at all.
TEST(VarnokctlReadJson, ThePageAsOneParsableObjectOrNothingOnFailure) {
  auto sim = StartDtuSim();
  // A device text in another encoding and with a control character still
  // gives valid JSON, and says what the bytes were.
  sim->Store().SetValue("mqtt-addr", "br\xff" "oker\x1b[2J");
  Result r = RunVarnokctl({"read", "-p", Path(*sim), "--json", "mqtt"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_ParseWithLength(r.out.data(), r.out.size()),
                                                        &cJSON_Delete);
  ASSERT_NE(root, nullptr) << r.out;
  EXPECT_STREQ(cJSON_GetStringValue(cJSON_GetObjectItemCaseSensitive(root.get(), "page")), "mqtt");
  const cJSON *fields = cJSON_GetObjectItemCaseSensitive(root.get(), "fields");
  EXPECT_STREQ(cJSON_GetStringValue(cJSON_GetObjectItemCaseSensitive(fields, "Server")), "br\\xffoker\x1b[2J");
  EXPECT_STREQ(cJSON_GetStringValue(cJSON_GetObjectItemCaseSensitive(fields, "Qos")),
               sim->Store().Value("mqtt-qos").c_str());
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << "the escape reaches the terminal as \\u001b only";

  DtuSimOptions silent;
  silent.silent_every = 1;
  sim->SetOptions(silent);
  r = RunVarnokctl({"read", "-p", Path(*sim), "--timeout", "1", "--json", "mqtt"});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no answer in time"), std::string::npos) << r.err;
}
