// The fleet apply through a three-node RabbitMQ cluster: the simulated
// devices are spread over the nodes, one file goes to 100 of them, one node
// is stopped while they are being written. Every device must end SUCCEEDED
// or with a failure that names what happened, never half written without a
// word, and one --resume must finish the rest. Run by `make test-cluster`
// (not by ctest: it needs rabbitmq-server and a minute).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <chrono>
#include <fstream>
#include <thread>

#include "remote/dtu_mqtt_connection.h"
#include "sim/dtu_sim.h"
#include "sim/platform_fleet.h"
#include "sim/platform_rest_server.h"
#include "tests/cluster/rabbit_cluster.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kNodes = 3;
constexpr int kDevices = 100;
constexpr int kStoppedNode = 1;

struct Result {
  int exit_code = -1;
  std::string out, err;
};

class ClusterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(cluster_.Start(kNodes, "pk-demo", "ps-demo", error)) << error;
    std::printf("%d RabbitMQ nodes up and clustered in %.1f s\n", kNodes,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    for (int i = 0; i < kNodes; ++i) brokers_.push_back({"127.0.0.1", cluster_.MqttPort(i)});
    PlatformRestConfig config = PlatformDemoConfig();
    config.products.front().devices = PlatformFleetDeviceList(kDevices);
    ASSERT_TRUE(rest_.Start(config, error)) << error;
    PlatformFleetConfig fleet;
    fleet.product_key = "pk-demo";
    fleet.product_secret = "ps-demo";
    fleet.devices = config.products.front().devices;
    fleet.brokers = brokers_;
    ASSERT_TRUE(fleet_.Start(fleet, error)) << error;
    MakeFile();
  }

  // The whole file of a device whose settings differ from the fleet's.
  void MakeFile() {
    DtuSim source;
    std::string error;
    ASSERT_TRUE(source.Start(&error)) << error;
    source.Store().SetValue("mqtt-addr", "broker.cluster.example");
    source.Store().SetValue("tcp-addr", "10.0.0.9");
    source.Store().SetValue("uart-parity", "1");
    QProcess backup;
    backup.start(VARNOKCTL_PATH, {"backup", "-p", QString::fromStdString(source.SlavePath()),
                                  QString::fromStdString(file_)});
    ASSERT_TRUE(backup.waitForFinished(60000) && backup.exitCode() == 0) << backup.readAllStandardError().toStdString();
    std::ofstream(file_, std::ios::app | std::ios::binary) << PlatformDemoIotInfoSection();
  }

  QProcess *Launch(QProcess &process, const QStringList &args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARNOK_API_BASE", QString::fromStdString(rest_.ApiBase()));
    env.insert("VARNOK_CA_FILE", QString::fromStdString(rest_.CaFile()));
    env.insert("VARNOK_MQTT_HOST", QString::fromStdString(DtuMqttBrokersText(brokers_)));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(dir_.Path()));
    process.start(VARNOKCTL_PATH, QStringList{"apply", "--cloud", QString::fromStdString(file_), "--json"} + args);
    return &process;
  }

  static Result Finish(QProcess &process) {
    Result r;
    if (!process.waitForFinished(600000)) {
      process.kill();
      process.waitForFinished();
      return r;
    }
    r.exit_code = process.exitCode();
    r.out = process.readAllStandardOutput().toStdString();
    r.err = process.readAllStandardError().toStdString();
    return r;
  }

  int LinesReceived() {
    int lines = 0;
    for (size_t i = 0; i < fleet_.Size(); ++i) lines += fleet_.Device(i).LinesReceived();
    return lines;
  }

  TempDir dir_;
  const std::string file_ = dir_.File("fleet.txt");
  RabbitCluster cluster_;
  std::vector<DtuMqttBroker> brokers_;
  PlatformRestServer rest_;
  PlatformFleet fleet_;
};

TEST_F(ClusterTest, ANodeStoppedMidRunLeavesNamedFailuresThatOneResumeFinishes) {
  QProcess first;
  Launch(first, {"--all", "--max-inflight", "100"});
  // Mid-run: once the devices have had a third of their lines (a full file
  // is some 180 lines a device), the node fails at once. (Stopped by
  // rabbitmqctl it would close its connections one after the other, over
  // seconds, and the run would mostly be over.)
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (LinesReceived() < kDevices * 60 && std::chrono::steady_clock::now() < deadline &&
         first.state() != QProcess::NotRunning) {
    first.waitForFinished(100);
  }
  std::string error;
  const auto stop_at = std::chrono::steady_clock::now();
  ASSERT_TRUE(cluster_.KillNode(kStoppedNode, error)) << error;
  const double stop_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - stop_at).count();
  const Result run = Finish(first);
  if (getenv("VARNOK_CLUSTER_LOGS") != nullptr) {
    for (int i = 0; i < kNodes; ++i) std::printf("--- %s\n%s", cluster_.NodeName(i).c_str(), cluster_.LogOf(i).c_str());
  }
  std::printf("the node stopped in %.1f s; the run ended %.1f s after the stop began\n", stop_s,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - stop_at).count());
  ASSERT_GE(run.exit_code, 0) << run.err;
  const QJsonDocument report = QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
  const QJsonArray devices = report.object()["devices"].toArray();
  ASSERT_EQ(devices.size(), kDevices) << run.out << run.err;
  int succeeded = 0, read_again = 0;
  for (const QJsonValue &v : devices) {
    const QJsonObject d = v.toObject();
    const std::string state = d["state"].toString().toStdString();
    read_again += d["attempts"].toInt() > 1;
    if (state == "SUCCEEDED") {
      ++succeeded;
      continue;
    }
    EXPECT_TRUE(state == "FAILED" || state == "TIMED_OUT") << d["imei"].toString().toStdString() << " " << state;
    std::printf("  %s %s: %s\n", d["imei"].toString().toStdString().c_str(), state.c_str(),
                d["failure"].toObject()["reason"].toString().toStdString().c_str());
    EXPECT_FALSE(d["failure"].toObject()["reason"].toString().isEmpty())
        << d["imei"].toString().toStdString() << ": a failure says what happened";
  }
  int reconnected = 0;
  for (size_t i = 0; i < fleet_.Size(); ++i) reconnected += fleet_.Device(i).Reconnects() > 0;
  // Each device of the lost node is back on another one a second or two later.
  EXPECT_GT(reconnected, 0) << "the stopped node had devices, which came back on the others";
  std::printf("%d lines a device on average; %d devices came back on another node\n", LinesReceived() / kDevices,
              reconnected);
  std::printf("node %s stopped mid-run: %d of %d devices succeeded at once; %d needed more than one attempt\n",
              cluster_.NodeName(kStoppedNode).c_str(), succeeded, kDevices, read_again);

  // The devices of the lost node come back after their reconnect back-off,
  // which grows with each failed try: the resume is for a fleet that can be
  // reached again.
  const auto all_back = [this] {
    for (size_t i = 0; i < fleet_.Size(); ++i) {
      if (!fleet_.Device(i).Connected()) return false;
    }
    return true;
  };
  const auto back_by = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (!all_back() && std::chrono::steady_clock::now() < back_by) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(all_back()) << "a device of the stopped node never came back on another node";

  const std::string saved = dir_.File("report.json");
  std::ofstream(saved) << run.out;
  QProcess second;
  Launch(second, {"--resume", QString::fromStdString(saved), "--max-inflight", "100"});
  const Result resumed = Finish(second);
  EXPECT_EQ(resumed.exit_code, 0) << resumed.out << resumed.err;
  const QJsonArray again = QJsonDocument::fromJson(QByteArray::fromStdString(resumed.out)).object()["devices"].toArray();
  EXPECT_EQ(again.size(), kDevices - succeeded);
  for (size_t i = 0; i < fleet_.Size(); ++i) {
    EXPECT_EQ(fleet_.Device(i).Store().Value("mqtt-addr"), "broker.cluster.example") << fleet_.Device(i).Imei();
    EXPECT_EQ(fleet_.Device(i).Store().Value("tcp-addr"), "10.0.0.9") << fleet_.Device(i).Imei();
  }
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
