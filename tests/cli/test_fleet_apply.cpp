// varnokctl apply --cloud against a fleet of simulated remote devices behind
// a real mosquitto and the platform's REST server, all in this process, with
// varnokctl (and its worker processes) as children: what the report says of
// each device is checked against what the devices received and hold.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <fstream>
#include <map>
#include <set>
#include <string>

#include "sim/platform_broker.h"
#include "sim/platform_fleet.h"
#include "sim/platform_rest_server.h"
#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kFleetSize = 20;
constexpr const char *kPages = "dataport,mqtt";

// What the file sets that no fleet device holds before.
const char kServer[] = "broker.fleet.example";
const char kParity[] = "1";

struct ReportedDevice {
  std::string state;
  QJsonObject json;
  std::string Failure(const char *member) const { return json["failure"].toObject()[member].toString().toStdString(); }
};

class FleetApplyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The file comes from a device set up as every fleet device should be;
    // its client id names the device.
    golden_dir_ = new TempDir();
    auto source = StartDtuSim();
    source->Store().SetValue("mqtt-addr", kServer);
    source->Store().SetValue("uart-parity", kParity);
    source->Store().SetValue("mqtt-clientId", "dtu-${IMEI}");
    const std::string file = golden_dir_->File("fleet.txt");
    VarnokctlResult r = RunVarnokctl({"backup", "-p", Path(*source), "--pages", kPages, QString::fromStdString(file)});
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    std::ofstream(file, std::ios::app | std::ios::binary) << PlatformDemoIotInfoSection();
  }
  static void TearDownTestSuite() {
    delete golden_dir_;
    golden_dir_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(golden_dir_, nullptr);
    file_ = dir_.File("fleet.txt");
    std::ofstream(file_, std::ios::binary) << ReadWholeFile(golden_dir_->File("fleet.txt"));
    ASSERT_TRUE(broker_.Start()) << broker_.ErrorText();
    PlatformRestConfig config = PlatformDemoConfig();
    config.products.front().devices = PlatformFleetDeviceList(kFleetSize);
    std::string error;
    ASSERT_TRUE(rest_.Start(config, error)) << error;
  }

  void StartFleet(int faulty_percent, PlatformFleetFaultSpec fault) {
    PlatformFleetConfig config;
    config.product_key = "pk-demo";
    config.product_secret = "ps-demo";
    config.devices = PlatformFleetDeviceList(kFleetSize);
    config.brokers = {{broker_.Host(), broker_.Port()}};
    config.faulty_percent = faulty_percent;
    config.fault = fault;
    std::string error;
    ASSERT_TRUE(fleet_.Start(config, error)) << error;
  }

  VarnokctlResult Apply(QStringList more) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARNOK_API_BASE", QString::fromStdString(rest_.ApiBase()));
    env.insert("VARNOK_CA_FILE", QString::fromStdString(rest_.CaFile()));
    env.insert("VARNOK_MQTT_HOST", QString::fromStdString(broker_.Host()));
    env.insert("VARNOK_MQTT_PORT", QString::number(broker_.Port()));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(dir_.Path()));
    process.start(VARNOKCTL_PATH, QStringList{"apply", "--cloud", QString::fromStdString(file_), "--pages", kPages} + more);
    return FinishVarnokctl(process, 120000);
  }

  static std::map<std::string, ReportedDevice> Devices(const std::string &json) {
    std::map<std::string, ReportedDevice> devices;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json));
    for (const QJsonValue &v : doc.object()["devices"].toArray()) {
      const QJsonObject o = v.toObject();
      devices[o["imei"].toString().toStdString()] = {o["state"].toString().toStdString(), o};
    }
    return devices;
  }

  std::set<std::string> FaultyImeis() {
    std::set<std::string> imeis;
    for (size_t i = 0; i < fleet_.Size(); ++i) {
      if (fleet_.Device(i).Fault().kind != PlatformFleetFault::kNone) imeis.insert(fleet_.Device(i).Imei());
    }
    return imeis;
  }

  // The device holds what the file (with its own IMEI put in) says.
  static void ExpectProvisioned(PlatformFleetDevice &device) {
    EXPECT_EQ(device.Store().Value("mqtt-addr"), kServer) << device.Imei();
    EXPECT_EQ(device.Store().Value("uart-parity"), kParity) << device.Imei();
    EXPECT_EQ(device.Store().Value("mqtt-clientId"), "dtu-" + device.Imei());
  }

  static TempDir *golden_dir_;
  TempDir dir_;
  std::string file_;
  MosquittoBroker broker_;
  PlatformRestServer rest_;
  PlatformFleet fleet_;
};

TempDir *FleetApplyTest::golden_dir_ = nullptr;

struct FaultRow {
  const char *name;
  PlatformFleetFaultSpec fault;
  const char *state;
  const char *page, *field, *device_value;  // the first failing field ("" none)
  const char *reason;                       // in the failure's reason
  int attempts;
};

void PrintTo(const FaultRow &row, std::ostream *out) { *out << row.name; }

class FleetFaultTest : public FleetApplyTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(FleetFaultTest, TheReportNamesExactlyTheFaultyDevicesWithTheirField) {
  const FaultRow &row = GetParam();
  StartFleet(10, row.fault);
  VarnokctlResult r = Apply({"--all", "--json", "--max-inflight", "20"});
  EXPECT_NE(r.exit_code, 0) << r.out << r.err;
  const std::map<std::string, ReportedDevice> devices = Devices(r.out);
  ASSERT_EQ(devices.size(), static_cast<size_t>(kFleetSize)) << r.out << r.err;
  const std::set<std::string> faulty = FaultyImeis();
  ASSERT_EQ(faulty.size(), 2u);
  for (size_t i = 0; i < fleet_.Size(); ++i) {
    PlatformFleetDevice &device = fleet_.Device(i);
    const ReportedDevice &reported = devices.at(device.Imei());
    if (!faulty.count(device.Imei())) {
      EXPECT_EQ(reported.state, "SUCCEEDED") << device.Imei() << " " << r.out;
      ExpectProvisioned(device);
      continue;
    }
    EXPECT_EQ(reported.state, row.state) << device.Imei();
    EXPECT_EQ(reported.Failure("page"), row.page) << r.out;
    EXPECT_EQ(reported.Failure("field"), row.field);
    EXPECT_EQ(reported.Failure("device"), row.device_value);
    if (*row.field != '\0') {
      EXPECT_NE(reported.Failure("file"), "") << "both values are named";
    }
    EXPECT_NE(reported.Failure("reason").find(row.reason), std::string::npos) << reported.Failure("reason");
    EXPECT_EQ(reported.json["attempts"].toInt(), row.attempts);
  }
}

PlatformFleetFaultSpec Fault(PlatformFleetFault kind, const char *key = "") { return {kind, key}; }

INSTANTIATE_TEST_SUITE_P(
    Faults, FleetFaultTest,
    ::testing::Values(
        FaultRow{"ErrorKey", Fault(PlatformFleetFault::kErrorKey, "mqtt-addr"), "FAILED", "mqtt", "Server",
                 "(device error)", "The device refused Server", 1},
        FaultRow{"WrongReadback", Fault(PlatformFleetFault::kWrongReadback), "FAILED", "mqtt", "Server",
                 kPlatformFleetWrongServer, "read-back differs", 1},
        // The third set line is the parity's: lost with the connection, so
        // the re-read finds the old parity and nothing is written again.
        FaultRow{"DropConnection", Fault(PlatformFleetFault::kDropConnection), "FAILED", "dataport", "Parity", "0",
                 "not written again", 2},
        // Tried again once (--retries 1 by default), then given up.
        FaultRow{"Silent", Fault(PlatformFleetFault::kSilent), "TIMED_OUT", "", "", "", "never answered", 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FleetApplyTest, AFailedCanaryStopsTheRun) {
  StartFleet(10, Fault(PlatformFleetFault::kErrorKey, "mqtt-addr"));  // devices 6 and 16
  VarnokctlResult r = Apply({"--all", "--json", "--canary", "6"});
  EXPECT_EQ(r.exit_code, 6) << r.out << r.err;
  const std::map<std::string, ReportedDevice> devices = Devices(r.out);
  ASSERT_EQ(devices.size(), static_cast<size_t>(kFleetSize));
  EXPECT_NE(r.out.find("the canary device 860000000000006 did not succeed"), std::string::npos) << r.out;
  for (size_t i = 0; i < fleet_.Size(); ++i) {
    const std::string expected = i < 5 ? "SUCCEEDED" : i == 5 ? "FAILED" : "NOT_STARTED";
    EXPECT_EQ(devices.at(fleet_.Device(i).Imei()).state, expected) << i;
    if (i > 5) {
      EXPECT_EQ(fleet_.Device(i).LinesReceived(), 0) << "nothing was sent to " << i;
    }
  }
}

TEST_F(FleetApplyTest, TheFailureLimitStopsStartingDevices) {
  StartFleet(50, Fault(PlatformFleetFault::kErrorKey, "mqtt-addr"));
  VarnokctlResult r = Apply({"--all", "--json", "--max-inflight", "4", "--max-failures", "30%"});
  EXPECT_EQ(r.exit_code, 6) << r.out << r.err;
  const std::map<std::string, ReportedDevice> devices = Devices(r.out);
  int finished = 0, not_started = 0;
  for (size_t i = 0; i < fleet_.Size(); ++i) {
    const ReportedDevice &d = devices.at(fleet_.Device(i).Imei());
    if (d.state == "NOT_STARTED") {
      ++not_started;
      EXPECT_EQ(fleet_.Device(i).LinesReceived(), 0);
    } else {
      ++finished;
    }
  }
  EXPECT_GE(finished, 10) << "the limit counts from 10 finished devices on";
  EXPECT_GT(not_started, 0) << r.out;
  EXPECT_NE(r.out.find("failed (limit 30%)"), std::string::npos) << r.out;
}

TEST_F(FleetApplyTest, ResumeAppliesOnlyWhatDidNotSucceed) {
  StartFleet(10, Fault(PlatformFleetFault::kErrorKey, "mqtt-addr"));
  VarnokctlResult first = Apply({"--all", "--json"});
  ASSERT_NE(first.exit_code, 0) << first.out;
  for (size_t i = 0; i < fleet_.Size(); ++i) fleet_.Device(i).SetFault({});  // repaired meanwhile
  const std::set<std::string> failed = {"860000000000006", "860000000000016"};
  const std::string report = dir_.File("report.json");
  std::ofstream(report) << first.out;
  std::map<std::string, int> lines_before;
  for (size_t i = 0; i < fleet_.Size(); ++i) lines_before[fleet_.Device(i).Imei()] = fleet_.Device(i).LinesReceived();

  VarnokctlResult resumed = Apply({"--resume", QString::fromStdString(report), "--json"});
  EXPECT_EQ(resumed.exit_code, 0) << resumed.out << resumed.err;
  const std::map<std::string, ReportedDevice> devices = Devices(resumed.out);
  std::set<std::string> applied;
  for (const auto &[imei, d] : devices) applied.insert(imei);
  EXPECT_EQ(applied, failed);
  for (size_t i = 0; i < fleet_.Size(); ++i) {
    PlatformFleetDevice &device = fleet_.Device(i);
    ExpectProvisioned(device);
    if (!applied.count(device.Imei())) {
      EXPECT_EQ(device.LinesReceived(), lines_before[device.Imei()]) << device.Imei();
    }
  }
}

TEST_F(FleetApplyTest, PerDeviceValuesReachTheirDevicesAndTheReport) {
  StartFleet(0, {});
  const std::string values = dir_.File("values.csv");
  std::ofstream(values) << "IMEI,mqtt.Username,dataport.BaudRate\n"
                           "860000000000002,site-${IMEI},\n"
                           "860000000000003,\"north, hall\",3\n";
  VarnokctlResult r = Apply({"--device", "860000000000002", "860000000000003", "--values",
                             QString::fromStdString(values), "--json", "--csv", QString::fromStdString(dir_.File("r.csv"))});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(fleet_.Device(1).Store().Value("mqtt-username"), "site-860000000000002");
  EXPECT_EQ(fleet_.Device(2).Store().Value("mqtt-username"), "north, hall");
  EXPECT_EQ(fleet_.Device(2).Store().Value("uart-baudrate"), "9600");
  ExpectProvisioned(fleet_.Device(1));
  const QJsonObject got = Devices(r.out).at("860000000000003").json["values"].toObject();
  EXPECT_EQ(got["mqtt.Username"].toString(), "north, hall");
  EXPECT_EQ(got["mqtt.ClientID"].toString(), "dtu-860000000000003");
  EXPECT_NE(ReadWholeFile(dir_.File("r.csv")).find("860000000000003,SUCCEEDED,2,2,"), std::string::npos);
}

struct RefusedValues {
  const char *name;
  const char *csv;
  const char *message;
};

void PrintTo(const RefusedValues &row, std::ostream *out) { *out << row.name; }

class FleetValuesRefusedTest : public FleetApplyTest, public ::testing::WithParamInterface<RefusedValues> {};

TEST_P(FleetValuesRefusedTest, BeforeAnythingIsSent) {
  StartFleet(0, {});
  const std::string values = dir_.File("values.csv");
  std::ofstream(values) << GetParam().csv;
  VarnokctlResult r = Apply({"--all", "--values", QString::fromStdString(values)});
  EXPECT_EQ(r.exit_code, 2) << r.out << r.err;
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
  for (size_t i = 0; i < fleet_.Size(); ++i) EXPECT_EQ(fleet_.Device(i).LinesReceived(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, FleetValuesRefusedTest,
    ::testing::Values(
        RefusedValues{"UnknownPage", "IMEI,mqtts.Server\n860000000000001,a\n", "unknown page \"mqtts\""},
        RefusedValues{"UnknownField", "IMEI,mqtt.Serv\n860000000000001,a\n", "unknown field \"Serv\" of page mqtt"},
        RefusedValues{"ImeiTwice", "IMEI,mqtt.Server\n860000000000001,a\n860000000000001,b\n",
                      "IMEI 860000000000001 twice (lines 2 and 3)"},
        RefusedValues{"PageNotWritten", "IMEI,net.APN\n860000000000001,a\n", "page net is not among the pages"},
        RefusedValues{"ValueTheFileCannotHold", "IMEI,mqtt.Port\n860000000000001,abc\n",
                      "mqtt.Port \"abc\": the configuration file cannot hold it"}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
