// "Apply file to selected devices…" on the Virtual Serial page against the
// simulated platform on loopback (the REST server over TLS, a real mosquitto
// and a fleet of remote DTUs, one of them refusing its MQTT server): the
// window runs this build's varnokctl and its table tells each device's end.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>

#include <cstdlib>
#include <set>

#include "app/fleet/fleet_apply_dialog.h"
#include "app/workbench/workbench_texts.h"
#include "sim/platform_broker.h"
#include "sim/platform_fleet.h"
#include "sim/platform_rest_server.h"
#include "tests/app/question_answerer.h"
#include "tests/app/virtual_serial_fixture.h"
#include "tests/cli/varnokctl_process.h"
#include "tests/support/sim_link.h"

namespace {

constexpr int kFleetSize = 3;
constexpr const char *kEnvNames[] = {"VARNOK_API_BASE", "VARNOK_CA_FILE", "VARNOK_MQTT_HOST", "VARNOK_MQTT_PORT"};
const char kServer[] = "broker.fleet.example";

class FleetApplyWindowTest : public VirtualSerialTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(broker_.Start()) << broker_.ErrorText();
    PlatformRestConfig rest = PlatformDemoConfig();
    rest.products.front().devices = PlatformFleetDeviceList(kFleetSize);
    std::string error;
    ASSERT_TRUE(rest_.Start(rest, error)) << error;
    PlatformFleetConfig fleet;
    fleet.product_key = "pk-demo";
    fleet.product_secret = "ps-demo";
    fleet.devices = PlatformFleetDeviceList(kFleetSize);
    fleet.brokers = {{broker_.Host(), broker_.Port()}};
    fleet.faulty_percent = 34;
    fleet.fault = {PlatformFleetFault::kErrorKey, "mqtt-addr"};
    ASSERT_TRUE(fleet_.Start(fleet, error)) << error;
    setenv("VARNOK_API_BASE", rest_.ApiBase().c_str(), 1);
    setenv("VARNOK_CA_FILE", rest_.CaFile().c_str(), 1);
    setenv("VARNOK_MQTT_HOST", broker_.Host().c_str(), 1);
    setenv("VARNOK_MQTT_PORT", std::to_string(broker_.Port()).c_str(), 1);
    WriteFileInUse();
    FleetApplyRun::SetVarnokctlPath(VARNOKCTL_PATH);
    VirtualSerialTest::SetUp();
  }
  void TearDown() override {
    VirtualSerialTest::TearDown();
    for (const char *name : kEnvNames) unsetenv(name);
  }

  // The file in use: every page of a device set up as every fleet device
  // should be (the window's [iotInfo] is added to it).
  void WriteFileInUse() {
    auto source = StartDtuSim();
    source->Store().SetValue("mqtt-addr", kServer);
    VarnokctlResult r = RunVarnokctl({"backup", "-p", Path(*source), QString::fromStdString(ConfigPath())});
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  }

  void LogInAndTickAll() {
    LogIn();
    Click("RefreshDevices");
    ASSERT_TRUE(WaitFor([&] { return !Tool()->Busy() && Tool()->Devices().size() == kFleetSize; }, 20000))
        << LogText().toStdString();
    QTreeWidgetItem *root = Find<QTreeWidget>("DeviceTree")->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) root->child(i)->setCheckState(0, Qt::Checked);
  }

  std::string FaultyImei() {
    std::set<std::string> faulty;
    for (size_t i = 0; i < fleet_.Size(); ++i) {
      if (fleet_.Device(i).Fault().kind != PlatformFleetFault::kNone) faulty.insert(fleet_.Device(i).Imei());
    }
    EXPECT_EQ(faulty.size(), 1u);
    return faulty.empty() ? std::string() : *faulty.begin();
  }

  // Presses "Apply file to selected devices…" and says Yes; the question
  // names how many devices and the file.
  FleetApplyDialog *StartApply() {
    QuestionAnswerer yes(QMessageBox::Yes);
    Click("ApplyFileToDevices");
    FleetApplyDialog *dialog = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (dialog = View()->findChild<FleetApplyDialog *>()) != nullptr; }));
    EXPECT_TRUE(yes.default_);
    EXPECT_TRUE(yes.text_.contains(QString::number(kFleetSize))) << yes.text_.toStdString();
    EXPECT_TRUE(yes.text_.contains(QString::fromStdString(ConfigPath()))) << yes.text_.toStdString();
    return dialog;
  }

  MosquittoBroker broker_;
  PlatformRestServer rest_;
  PlatformFleet fleet_;
};

TEST_F(FleetApplyWindowTest, AppliesTheFileToTheTickedDevicesAndSavesTheReport) {
  LogInAndTickAll();
  const std::string faulty = FaultyImei();
  FleetApplyDialog *dialog = StartApply();
  ASSERT_NE(dialog, nullptr);

  // The rows follow varnokctl's events while it runs: each device is seen
  // at work on a page before it ends.
  std::set<std::string> seen_at_work;
  QObject::connect(&dialog->Run(), &FleetApplyRun::RowChanged, dialog, [&](int row) {
    const FleetApplyRow &r = dialog->Run().Rows()[static_cast<size_t>(row)];
    if (r.state == "RUNNING" && !r.page.isEmpty()) seen_at_work.insert(r.imei.toStdString());
  });
  ASSERT_TRUE(WaitFor([&] { return dialog->Run().Done(); }, 120000));
  EXPECT_EQ(seen_at_work.size(), static_cast<size_t>(kFleetSize));
  ASSERT_TRUE(dialog->Run().Error().isEmpty()) << dialog->Run().Error().toStdString();

  QTableWidget *table = dialog->Table();
  ASSERT_EQ(table->rowCount(), kFleetSize);
  for (int row = 0; row < table->rowCount(); ++row) {
    const std::string imei = table->item(row, 0)->text().toStdString();
    const QString state = table->item(row, 1)->text();
    const QString failing = table->item(row, 3)->text();
    SCOPED_TRACE(imei + " " + state.toStdString() + " " + failing.toStdString());
    EXPECT_TRUE(state.contains(imei == faulty ? "FAILED" : "SUCCEEDED"));
    EXPECT_EQ(failing.contains("Server"), imei == faulty);
    if (imei != faulty) {
      EXPECT_EQ(fleet_.Device(static_cast<size_t>(row)).Store().Value("mqtt-addr"), kServer);
    }
  }
  EXPECT_TRUE(dialog->SaveReportButton()->isEnabled());
  EXPECT_FALSE(dialog->CancelButton()->isEnabled());

  // The report as varnokctl writes it, in both formats.
  const QString json_path = QString::fromStdString(dir_.File("fleet-report.json"));
  const QString csv_path = QString::fromStdString(dir_.File("fleet-report.csv"));
  ASSERT_TRUE(dialog->SaveReport(json_path));
  ASSERT_TRUE(dialog->SaveReport(csv_path));
  QFile json_file(json_path);
  ASSERT_TRUE(json_file.open(QIODevice::ReadOnly));
  const QJsonObject report = QJsonDocument::fromJson(json_file.readAll()).object();
  EXPECT_EQ(report["summary"].toObject()["SUCCEEDED"].toInt(), kFleetSize - 1);
  for (const QJsonValue &v : report["devices"].toArray()) {
    const QJsonObject device = v.toObject();
    if (device["imei"].toString().toStdString() != faulty) continue;
    EXPECT_EQ(device["state"].toString(), "FAILED");
    EXPECT_EQ(device["failure"].toObject()["field"].toString(), "Server");
  }
  const std::string csv = ReadWholeFile(csv_path.toStdString());
  EXPECT_EQ(csv.rfind("imei,state,", 0), 0u) << csv;
  EXPECT_NE(csv.find(faulty + ",FAILED,"), std::string::npos) << csv;
}

// Cancel is varnokctl's Ctrl-C: each device finishes the page it writes and
// the table tells where each one stopped.
TEST_F(FleetApplyWindowTest, CancelStopsEveryDeviceAfterItsPageAndSaysWhere) {
  LogInAndTickAll();
  FleetApplyDialog *dialog = StartApply();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitFor([&] { return dialog->Table()->item(0, 1)->text().contains("RUNNING"); }, 20000));
  dialog->CancelButton()->click();
  EXPECT_TRUE(dialog->Summary().contains(WbText(DtuTextId::kFleetCancelling))) << dialog->Summary().toStdString();
  ASSERT_TRUE(WaitFor([&] { return dialog->Run().Done(); }, 60000));
  ASSERT_TRUE(dialog->Run().HaveReport()) << dialog->Run().Error().toStdString();
  for (const FleetApplyRow &row : dialog->Run().Rows()) {
    SCOPED_TRACE(row.imei.toStdString() + " " + row.state.toStdString() + " " + row.reason.toStdString() + " " +
                 row.note.toStdString());
    EXPECT_TRUE(row.state == "CANCELED" || row.state == "NOT_STARTED");
    EXPECT_FALSE(row.reason.isEmpty() && row.note.isEmpty());
  }
}

}  // namespace
