// varnokctl backup and apply as separate processes against simulated devices
// on real pseudo-terminals: a device's settings copied onto others and proven
// by read-back, and each way a device can fail named in the report and the
// exit code.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "config/dtu_config_template.h"
#include "pages/dtu_page_runner.h"
#include "pages/modbus/dtu_modbus_cache_payload.h"
#include "pages/modbus/dtu_modbus_payload.h"
#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Settings a working device holds that differ from the factory's.
const std::map<std::string, std::string> kNonDefault = {
    {"uart-baudrate", "9600"},       {"uart-parity", "1"},
    {"remoteCfgInfo", "000002000cfg2.example.net"}, {"logLevel", "0"},
    {"netInfo", "apn:cmnet&username:u1&pwd:p1"},   {"mqtt-channel", "3"},
    {"tcp-type", "2"},               {"tcp-addr", "10.0.0.5"},
    {"tcp-port", "9000"},            {"udp-type", "1"},
    {"udp-productkey", "pk"},        {"udp-productsecret", "ps"},
    {"mqtt-addr", "broker.example"}, {"mqtt-port", "8883"},
    {"mqtt-qos", "1"},               {"mqtt-cleansession", "0"},
    {"mqtt-pubtopic", "site7/up"},   {"aly-mqtt-devicename", "dtu77"},
    {"onenet-mqtt-keepalive", "300"},
    // Every business packet: text, made of fields, hexadecimal text, and the header signature.
    {"bhu-login", "100005hello"},
    {"bhu-heart", "12000000300016" "01024142${CRC16}"},
    {"bhu-hex-heart-cfg", "11000103010201020000000000000202AB0000000000000005040102000000000000"},
    {"bhu-data", "11000000600013" "0102${IMEI}AA"},
    {"bhu-header", "100004HDR1"},
};

// A DL/T 645 page beyond the factory's: a second meter channel whose rule
// parses two items (records as the device keeps them, by key and index).
const std::vector<std::pair<std::string, std::string>> kDlt645Records = {
    {"dlt645-meter-cfg", "ch:2/addr:000000000042/preamble:2/cycle:30/diNum:2/di1:00010000/di2:00020000;"},
    {"dlt645-meter-rule", "ch:2/rule:1/paramCnt:2"},
    {"dlt645-meter-rule-item", "ch:2/paramId:1/tag:Ua/di:02010100/dataType:3/dataEndian:1/dataRule:0/rate:1"},
    {"dlt645-meter-rule-item", "ch:2/paramId:2/tag:Ia/di:02020100/dataType:5/dataEndian:0/dataRule:2/rate:10"},
};
const char *const kDlt645Indexes[] = {"2", "2", "2/1", "2/2"};

// Keys of the set lines a simulator received.
std::set<std::string> SetKeys(const DtuSim &sim) {
  std::set<std::string> keys;
  for (const std::string &line : sim.ReceivedLines()) {
    const std::string head = "AT+ZEVCFG=set|";
    if (line.rfind(head, 0) != 0) continue;
    keys.insert(line.substr(head.size(), line.find('|', head.size()) - head.size()));
  }
  return keys;
}

// Whether any key of the MQTT page (mqtt-*, but not the work mode's
// mqtt-channel) was set.
bool MqttPageWritten(const DtuSim &sim) {
  for (const std::string &key : SetKeys(sim)) {
    if (key.rfind("mqtt-", 0) == 0 && key != "mqtt-channel") return true;
  }
  return false;
}

class Provisioning : public ::testing::Test {
 protected:
  // "N of N": every page varnokctl knows.
  static std::string EveryPage() {
    const std::string n = std::to_string(DtuPageNames().size());
    return n + " of " + n;
  }
  static std::unique_ptr<DtuSim> WorkingDevice() {
    auto device = StartDtuSim();
    for (const auto &[key, value] : kNonDefault) device->Store().SetValue(key, value);
    device->Store().SetValue("dlt645-channel", "2");
    for (const auto &[key, record] : kDlt645Records) EXPECT_TRUE(device->Store().Set(key, record)) << record;
    return device;
  }
  // The device's settings saved by backup into a file.
  std::string Backup(DtuSim &device, const char *name = "golden.txt") {
    const std::string file = dir_.File(name);
    VarnokctlResult r = RunVarnokctl({"backup", "-p", Path(device), QString::fromStdString(file)});
    EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(Path(device).toStdString() + ": " + EveryPage() + " pages saved; ok"), std::string::npos)
        << r.out;
    return file;
  }
  std::string GoldenFile() { return Backup(*WorkingDevice()); }
  QStringList Apply(DtuSim &sim, const std::string &file, QStringList more = {}) {
    return QStringList{"apply", "-p", Path(sim), QString::fromStdString(file)} + more;
  }

  TempDir dir_;
};

// diff, after apply, finds the device and the file agreeing; a field
// changed on the device since is named with both values.
TEST_F(Provisioning, BackupThenApplyCopiesEveryPageAndProvesItByReadBackAndDiff) {
  auto source = WorkingDevice();
  const std::string file = Backup(*source);
  EXPECT_TRUE(SetKeys(*source).empty()) << "backup only reads";

  auto target = StartDtuSim();
  VarnokctlResult apply = RunVarnokctl(Apply(*target, file));
  EXPECT_EQ(apply.exit_code, 0) << apply.out << apply.err;
  EXPECT_NE(apply.out.find(Path(*target).toStdString() + ": " + EveryPage() + " pages done; ok"), std::string::npos)
      << apply.out;
  const std::set<std::string> written = SetKeys(*target);
  for (const auto &[key, value] : kNonDefault) {
    EXPECT_EQ(written.count(key), 1u) << key << " was not written";
  }
  for (const std::string &key : written) {
    EXPECT_EQ(target->Store().Value(key), source->Store().Value(key)) << key;
  }
  EXPECT_NE(ReadWholeFile(file).find("rule2=1\r\nparamCnt2=2\r\ntag2_1=Ua\r\nruleDi2_1=02010100\r\n"),
            std::string::npos);
  for (size_t i = 0; i < kDlt645Records.size(); ++i) {
    EXPECT_EQ(target->Store().ChannelValue(kDlt645Records[i].first, kDlt645Indexes[i]), kDlt645Records[i].second);
  }
  // The copy's backup is the same file: nothing was lost on the way.
  EXPECT_EQ(ReadWholeFile(Backup(*target, "copy.txt")), ReadWholeFile(file));

  target->ClearReceived();
  VarnokctlResult same = RunVarnokctl({"diff", "-p", Path(*target), QString::fromStdString(file)});
  EXPECT_EQ(same.exit_code, 0) << same.out << same.err;
  EXPECT_EQ(same.out, Path(*target).toStdString() + ": device and file agree on " +
                          std::to_string(DtuPageNames().size()) + " pages (exit 0)\n");
  EXPECT_TRUE(SetKeys(*target).empty()) << "diff only reads";
  target->Store().SetValue("mqtt-addr", "changed.example");
  VarnokctlResult changed =
      RunVarnokctl({"diff", "-p", Path(*target), QString::fromStdString(file), "--pages", "workmode,mqtt"});
  EXPECT_EQ(changed.exit_code, 7) << changed.out << changed.err;
  EXPECT_EQ(changed.out, "mqtt Server: device \"changed.example\", file \"broker.example\"\n" +
                             Path(*target).toStdString() + ": 1 of 2 pages agree, 1 difference (exit 7)\n");
}

// Every channel of every six-channel group configured apart from the others,
// each with a two-parameter Parse rule where the group has rules.
void ConfigureSixChannels(DtuSim &device) {
  device.Store().SetValue("modbus-switch", "1");
  for (const char *key : {"modbus-channel", "modbus-cache-channel", "dlt645-channel"})
    device.Store().SetValue(key, "6");
  for (int c = 1; c <= 6; ++c) {
    const std::string ch = std::to_string(c);
    const auto polling = DtuModbusBuildSlaveCfg({c, 10 + c, 3, 100 * c, c + 1, 5 * c});
    const auto cache = DtuModbusBuildCacheChannel({c, 20 + c, 1 + c % 4, 200 * c, 10, 30 + c});
    ASSERT_TRUE(polling && cache) << ch;
    device.AnswerFor("AT+ZEVCFG=set|modbus-slave-cfg|" + *polling + "\r\n");
    device.AnswerFor("AT+ZEVCFG=set|modbus-cache-slave-cfg|" + *cache + "\r\n");
    for (int p = 1; p <= 2; ++p) {
      const auto param =
          DtuModbusBuildRuleParam({c, 1, 2, p, "t" + ch + "_" + std::to_string(p), 100 * c + p - 1, 3, p - 1, 0, c});
      ASSERT_TRUE(param) << ch;
      device.AnswerFor("AT+ZEVCFG=set|modbus-slave-rule|" + *param + "\r\n");
      EXPECT_TRUE(device.Store().Set("dlt645-meter-rule-item", "ch:" + ch + "/paramId:" + std::to_string(p) + "/tag:m" +
                                                                   ch + std::to_string(p) + "/di:0201010" +
                                                                   std::to_string(p) +
                                                                   "/dataType:3/dataEndian:1/dataRule:0/rate:" + ch));
    }
    EXPECT_TRUE(device.Store().Set("dlt645-meter-cfg", "ch:" + ch + "/addr:00000000004" + ch +
                                                           "/preamble:2/cycle:" + std::to_string(10 * c) +
                                                           "/diNum:2/di1:00010000/di2:0002000" + ch + ";"));
    EXPECT_TRUE(device.Store().Set("dlt645-meter-rule", "ch:" + ch + "/rule:1/paramCnt:2"));
  }
}

// A device configured on every page, all six channels of each group with
// their rules and all four packets: its copy backs up as the same file, and
// diff finds nothing between them.
TEST_F(Provisioning, EverySixChannelGroupAndItsRulesSurviveTheRoundTrip) {
  auto source = WorkingDevice();
  ConfigureSixChannels(*source);
  const std::string file = Backup(*source);
  auto target = StartDtuSim();
  VarnokctlResult apply = RunVarnokctl(Apply(*target, file));
  ASSERT_EQ(apply.exit_code, 0) << apply.out << apply.err;
  EXPECT_EQ(ReadWholeFile(Backup(*target, "copy.txt")), ReadWholeFile(file));
  for (int c = 1; c <= 6; ++c) {
    const std::string ch = std::to_string(c);
    for (const char *key : {"modbus-slave-cfg", "modbus-cache-slave-cfg", "dlt645-meter-cfg", "dlt645-meter-rule"}) {
      EXPECT_EQ(target->Store().ChannelValue(key, ch), source->Store().ChannelValue(key, ch)) << key << " " << ch;
    }
    for (const std::string &item : {ch + "/1", ch + "/2"}) {
      for (const char *key : {"modbus-slave-rule", "dlt645-meter-rule-item"}) {
        EXPECT_EQ(target->Store().ChannelValue(key, item), source->Store().ChannelValue(key, item))
            << key << " " << item;
      }
    }
  }
  VarnokctlResult diff = RunVarnokctl({"diff", "-p", Path(*target), QString::fromStdString(file)});
  EXPECT_EQ(diff.exit_code, 0) << diff.out << diff.err;
}

TEST_F(Provisioning, BlanksTheFileCannotHoldDoNotCountAsDifferences) {
  // A factory device's automatic APN reads back with a blank user name and
  // password; the file keeps them empty.
  auto source = StartDtuSim(), target = StartDtuSim();
  const std::string file = dir_.File("factory.txt");
  ASSERT_EQ(RunVarnokctl({"backup", "-p", Path(*source), "--pages", "net", QString::fromStdString(file)}).exit_code, 0);
  VarnokctlResult r = RunVarnokctl(Apply(*target, file, {"--pages", "net"}));
  EXPECT_EQ(r.exit_code, 0) << r.out;
}

TEST_F(Provisioning, ATypeNoListEntryShowsIsCopiedAsTheDeviceHoldsIt) {
  auto source = StartDtuSim(), target = StartDtuSim();  // the factory's tcp-type and udp-type 0
  target->Store().SetValue("tcp-type", "2");
  target->Store().SetValue("udp-type", "1");
  const std::string file = dir_.File("types.txt");
  ASSERT_EQ(RunVarnokctl({"backup", "-p", Path(*source), "--pages", "tcpudp", QString::fromStdString(file)}).exit_code,
            0);
  EXPECT_NE(ReadWholeFile(file).find("[TCP_UDP]\r\nTCP_TYPE=0\r\n"), std::string::npos) << ReadWholeFile(file);
  VarnokctlResult r = RunVarnokctl(Apply(*target, file, {"--pages", "tcpudp"}));
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(target->Store().Value("tcp-type"), "0");
  EXPECT_EQ(target->Store().Value("udp-type"), "0");
}

struct FaultCase {
  const char *name;
  DtuSimOptions options;
  const char *pages;
  int exit_code;
  const char *report;  // in the report
};

void PrintTo(const FaultCase &c, std::ostream *out) { *out << c.name; }

class ProvisioningFault : public Provisioning, public ::testing::WithParamInterface<FaultCase> {};

DtuSimOptions ErrorOn(const char *key) {
  DtuSimOptions o;
  o.error_keys = {key};
  return o;
}

DtuSimOptions SilentEvery(int n) {
  DtuSimOptions o;
  o.silent_every = n;
  return o;
}

DtuSimOptions EmptyOn(const char *key) {
  DtuSimOptions o;
  o.empty_keys = {key};
  return o;
}

DtuSimOptions BadValue(const char *key, const std::string &value) {
  DtuSimOptions o;
  o.bad_values[key] = value;
  return o;
}

DtuSimOptions UnplugAfter(int n) {
  DtuSimOptions o;
  o.unplug_after = n;
  return o;
}

TEST_P(ProvisioningFault, ReportsThePageAndExitsWithItsCode) {
  const FaultCase &c = GetParam();
  const std::string file = GoldenFile();
  auto sim = StartDtuSim(c.options);
  VarnokctlResult r = RunVarnokctl(Apply(*sim, file, {"--pages", c.pages, "--timeout", "15"}), 90000);
  EXPECT_EQ(r.exit_code, c.exit_code) << r.out << r.err;
  EXPECT_NE(r.out.find(c.report), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ProvisioningFault,
    ::testing::Values(
        FaultCase{"DeviceError", ErrorOn("mqtt-qos"), "workmode,mqtt", 6, "mqtt        not sent, not confirmed, not verified: device error"},
        FaultCase{"NoAnswer", SilentEvery(3), "workmode", 3, "workmode    sent, confirmed, not verified: no answer"},
        // Rules the device reports empty (no rule) cannot prove what was written.
        FaultCase{"Dlt645RulesNotReadBack", EmptyOn("dlt645-meter-rule"), "dlt645", 7,
                  "not verified, the device gave no read-back of rule1, paramCnt1, rule2, paramCnt2, tag2_1"},
        FaultCase{"Dlt645AddressUnreadable", BadValue("dlt645-meter-cfg", "ch:1/addr:" + std::string(10240, '1')),
                  "dlt645", 6, "dlt645      not sent, not confirmed, not verified: device error"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Provisioning, UnplugNamesThePortAndLeavesTheRestNotDone) {
  const std::string file = GoldenFile();
  auto sim = StartDtuSim(UnplugAfter(4));
  VarnokctlResult r = RunVarnokctl(Apply(*sim, file, {"--pages", "net,workmode,mqtt"}));
  EXPECT_EQ(r.exit_code, 5);
  EXPECT_NE(r.out.find(Path(*sim).toStdString() + ": 1 of 3 pages done; the port was closed"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("mqtt        not sent, not confirmed, not verified: not done"), std::string::npos) << r.out;
}

TEST_F(Provisioning, AFileThatFailsAPageCheckSendsNothingForThatPage) {
  const std::string file = GoldenFile();
  // A client id the file holds (up to 255) but no set line can carry; the
  // first section of a name is searched first.
  const std::string text = ReadWholeFile(file);
  std::ofstream(file) << "[MQTT]\nClientId=" << std::string(250, 'c') << "\n\n" << text;

  auto sim = StartDtuSim();
  VarnokctlResult r = RunVarnokctl(Apply(*sim, file, {"--pages", "workmode,mqtt"}));
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_NE(r.out.find("mqtt        not sent, not confirmed, not verified: refused"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ClientID"), std::string::npos) << "the message names the field:\n" << r.out;
  EXPECT_FALSE(MqttPageWritten(*sim));
  EXPECT_EQ(SetKeys(*sim).count("mqtt-channel"), 1u) << "the other page was written";
}

const char kChannel[] = "[CHANNEL]\r\nChannel=3\r\n\r\n";
const char kMqttHead[] = "[MQTT]\r\nPort=1883\r\nClientId=c1\r\nKeepalive=60\r\nUsername=u\r\nPassword=p\r\n"
                         "SubTopic=s\r\nPubTopic=t\r\nQos=0\r\n";

std::string RandomBytes(size_t count) {
  std::mt19937 random(21);
  std::string bytes(count, '\0');
  for (char &c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string CacheSection(int count) {
  std::string text = "[MODBUS_CACHE]\r\nfuncSwitch=1\r\nmaxChannel=" + std::to_string(count) + "\r\n";
  for (int k = 1; k <= 6; ++k) {
    for (const char *key : {"slave", "Function", "Addr", "Len", "Cycle"}) text += key + std::to_string(k) + "=1\r\n";
  }
  return text;
}

struct FileCase {
  const char *name;
  std::string text;
  const char *page;    // applied with the work mode page
  int exit_code;
  const char *status;  // the page's status
  const char *why;     // the page's message
};

void PrintTo(const FileCase &c, std::ostream *out) { *out << c.name; }

class ProvisioningFile : public Provisioning, public ::testing::WithParamInterface<FileCase> {};

// A page the file does not hold is not written from defaults, one it holds
// unusably is refused by name; the work mode page beside it is written only
// when the file holds it, and a run that wrote nothing exits 1.
TEST_P(ProvisioningFile, APageTheFileDoesNotHoldWholeIsNotWritten) {
  const FileCase &c = GetParam();
  const std::string file = dir_.File("f.txt");
  std::ofstream(file, std::ios::binary) << c.text;
  auto sim = StartDtuSim();
  VarnokctlResult r = RunVarnokctl(Apply(*sim, file, {"--pages", QString("workmode,") + c.page}));
  EXPECT_EQ(r.exit_code, c.exit_code) << r.out << r.err;
  char line[96];
  std::snprintf(line, sizeof line, "  %-12snot sent, not confirmed, not verified: %s\n      %s", c.page, c.status, c.why);
  EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
  const bool channel_held = c.text.find(kChannel) != std::string::npos;
  EXPECT_EQ(SetKeys(*sim), channel_held ? std::set<std::string>{"mqtt-channel"} : std::set<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProvisioningFile,
    ::testing::Values(
        FileCase{"Empty", "", "mqtt", 1, "not in the file", "no [MQTT] settings"},
        FileCase{"Random64k", RandomBytes(65536), "bhu", 1, "not in the file", "no [BHU] settings"},
        FileCase{"BareCRs", std::string(4096, '\r'), "net", 1, "not in the file", "no [netInfo] settings"},
        FileCase{"Template", DtuConfigTemplateText(), "tcpudp", 1, "not in the file", "no [TCP_UDP] settings"},
        FileCase{"NoMqttSection", kChannel, "mqtt", 0, "not in the file", "no [MQTT] settings"},
        FileCase{"MqttLacksKeys", std::string(kChannel) + kMqttHead, "mqtt", 0, "not in the file",
                 "[MQTT] lacks Server, CleanSession"},
        FileCase{"NulInServer", std::string(kChannel) + kMqttHead + "CleanSession=1\r\nServer=a" + '\0' + "b\r\n",
                 "mqtt", 1, "refused", "[MQTT] Server: holds a control character"},
        FileCase{"CacheCountNine", kChannel + CacheSection(9), "modbuscache", 1, "refused",
                 "[MODBUS_CACHE] maxChannel: 9 outside 1..6"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Provisioning, ThreeDevicesInParallelEachGetTheWholeFile) {
  const std::string file = GoldenFile();
  auto a = StartDtuSim(), b = StartDtuSim(), c = StartDtuSim();
  VarnokctlResult r = RunVarnokctl(
      {"apply", "-p", Path(*a), "-p", Path(*b), "-p", Path(*c), "--parallel", "--json", QString::fromStdString(file)});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  for (DtuSim *sim : {a.get(), b.get(), c.get()}) {
    EXPECT_NE(r.out.find("\"port\": \"" + sim->SlavePath() + "\""), std::string::npos);
    for (const auto &[key, value] : kNonDefault) EXPECT_EQ(sim->Store().Value(key), value) << key;
  }
}

TEST_F(Provisioning, AFieldChangedBehindTheToolsBackIsNamedAndExitsSeven) {
  const std::string file = GoldenFile();
  auto sim = StartDtuSim();
  QProcess process;
  process.start(VARNOKCTL_PATH, Apply(*sim, file, {"--pages", "mqtt"}));
  // 10 queries, 10 set lines, then the read-back: change the field it reads
  // last as soon as the read-back begins.
  sim->WaitForLines(21, 20s);
  sim->Store().SetValue("mqtt-cleansession", "1");
  VarnokctlResult r = FinishVarnokctl(process, 60000);
  EXPECT_EQ(r.exit_code, 7) << r.out << r.err;
  EXPECT_NE(r.out.find("      mqtt CleanSession: device \"1\", file \"0\""), std::string::npos) << r.out;
}

TEST_F(Provisioning, CtrlCStopsAfterThePageBeingWrittenAndNamesThePagesNotDone) {
  const std::string file = GoldenFile();
  DtuSimOptions slow;
  slow.latency_ms = 40;
  auto sim = StartDtuSim(slow);
  QProcess process;
  process.start(VARNOKCTL_PATH, Apply(*sim, file, {"--pages", "net,workmode,mqtt"}));
  // net: its query, then its set line: the page is being written.
  sim->WaitForLines(2, 20s);
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  VarnokctlResult r = FinishVarnokctl(process, 60000);
  EXPECT_EQ(r.exit_code, 130) << r.out << r.err;
  EXPECT_NE(r.out.find("net         sent, confirmed, verified: verified"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("mqtt        not sent, not confirmed, not verified: not done"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("stopped by Ctrl-C"), std::string::npos) << r.out;
}

// The Modbus pages' whole configuration (every counted channel with its
// rule, while the polling is off too) survives backup and apply; the polling
// and the cache proxy are never both on, whichever the file turns off.
struct ExclusionCase {
  const char *name;
  std::map<std::string, std::string> source, target;  // switches on each device
};

void PrintTo(const ExclusionCase &c, std::ostream *out) { *out << c.name; }

class ProvisioningModbus : public Provisioning, public ::testing::WithParamInterface<ExclusionCase> {};

TEST_P(ProvisioningModbus, RulesOfEveryChannelAndBothSwitchesAreCopied) {
  auto source = StartDtuSim(), target = StartDtuSim();
  for (const auto &[key, value] : GetParam().source) source->Store().SetValue(key, value);
  for (const auto &[key, value] : GetParam().target) target->Store().SetValue(key, value);
  source->Store().SetValue("modbus-channel", "2");
  for (const char *line : {"AT+ZEVCFG=set|modbus-slave-cfg|0002001700040004000100023600\r\n",
                           "AT+ZEVCFG=set|modbus-slave-rule|000201020104temp0004000103000000000001\r\n",
                           "AT+ZEVCFG=set|modbus-slave-rule|000201020204volt0004000203000000000010\r\n"}) {
    source->AnswerFor(line);
  }
  const std::string file = dir_.File("modbus.txt");
  const QStringList pages = {"--pages", "modbus,modbuscache"};
  ASSERT_EQ(RunVarnokctl(QStringList{"backup", "-p", Path(*source), QString::fromStdString(file)} + pages).exit_code, 0);
  VarnokctlResult r = RunVarnokctl(Apply(*target, file, pages));
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  for (const char *key : {"modbus-switch", "modbus-channel", "modbus-cache-switch"}) {
    EXPECT_EQ(target->Store().Value(key), source->Store().Value(key)) << key;
  }
  for (const char *index : {"1", "2", "2/1", "2/2"}) {
    EXPECT_EQ(target->Store().ChannelValue("modbus-slave-rule", index),
              source->Store().ChannelValue("modbus-slave-rule", index)) << index;
  }
  EXPECT_EQ(target->Store().ChannelValue("modbus-slave-cfg", "2"), "0002001700040004000100023600");
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ProvisioningModbus,
    ::testing::Values(ExclusionCase{"PollingOffCacheOn", {{"modbus-cache-switch", "1"}}, {{"modbus-switch", "1"}}},
                      ExclusionCase{"PollingOnCacheOff", {{"modbus-switch", "1"}}, {{"modbus-cache-switch", "1"}}}),
    [](const auto &info) { return std::string(info.param.name); });

// A read-back that stops at the channel count leaves the channels and rules
// after it unread: the page is not verified, and the field is named.
TEST_F(Provisioning, AModbusReadBackThatStopsIsNotVerified) {
  auto source = StartDtuSim();
  const std::string file = dir_.File("m.txt");
  ASSERT_EQ(RunVarnokctl({"backup", "-p", Path(*source), "--pages", "modbus", QString::fromStdString(file)}).exit_code, 0);
  struct Case {
    void (*fault)(DtuSimOptions &);
    const char *named;
  } cases[] = {
      {[](DtuSimOptions &o) { o.bad_values = {{"modbus-channel", "0"}}; },
       "The device's answer for maxChannel could not be read: modbus-channel : 0"},
      {[](DtuSimOptions &o) { o.lose_line = 10; }, "No answer from the device for maxChannel"},
  };
  for (const Case &c : cases) {
    auto target = StartDtuSim();
    QProcess process;
    process.start(VARNOKCTL_PATH, Apply(*target, file, {"--pages", "modbus"}));
    // Read 4 lines, Set 4 (the polling off: switch, count, channel 1, its
    // rule); the fault meets the read-back's count, its 10th line.
    target->WaitForLines(8, 20s);
    DtuSimOptions options = target->Options();
    c.fault(options);
    target->SetOptions(options);
    VarnokctlResult r = FinishVarnokctl(process, 60000);
    EXPECT_EQ(r.exit_code, 7) << r.out << r.err;
    EXPECT_NE(r.out.find("modbus      sent, confirmed, not verified: read-back differs\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("      " + std::string(c.named) + "\n"), std::string::npos) << r.out;
  }
}

TEST_F(Provisioning, UsageAndFileErrors) {
  auto sim = StartDtuSim();
  EXPECT_EQ(RunVarnokctl({"apply", "-p", Path(*sim)}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({"apply", "-p", Path(*sim), "f.txt", "--pages", "nosuch"}).exit_code, 2);
  EXPECT_EQ(RunVarnokctl({"backup", "-p", Path(*sim), "-p", Path(*sim), "f.txt"}).exit_code, 2);
  VarnokctlResult missing = RunVarnokctl({"apply", "-p", Path(*sim), QString::fromStdString(dir_.File("none.txt"))});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("Failed to open config file"), std::string::npos) << missing.err;
  EXPECT_TRUE(sim->ReceivedLines().empty());
}

}  // namespace
