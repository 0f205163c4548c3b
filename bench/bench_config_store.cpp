// Load + save of a full configuration file (every section filled, a
// [iotInfo] and a [platform] section carried along), as one page's
// "Save to Local" does it. Target: median at most 5 ms.
//
// For comparison, the per-key scan: every key looked up by rereading the open
// file from its start (the section operations in their read direction).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/dtu_config.h"
#include "config/dtu_file_io.h"

namespace {

// A directory beside the working directory (where the tool keeps its file),
// holding a fully filled configuration file.
class FullFile {
 public:
  FullFile() {
    std::string pattern = "bench-config-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) std::abort();
    dir_ = pattern;
    path_ = dir_ + "/Zev_DtuConfig.txt";
    DtuConfig c;
    Fill(c);
    if (!c.SaveToFile(path_)) std::abort();
    std::string bytes;
    DtuReadWholeFile(path_, bytes);
    bytes += "\r\n[iotInfo]\r\nusername = someone\r\npassword = secret\r\nproductKey = pk\r\nproductSecret = ps\r\n";
    bytes += "\r\n[platform]\r\napiBase = https://127.0.0.1:8002\r\nmqttHost = 127.0.0.1\r\nmqttPort = 1883\r\n";
    DtuWriteFileAtomically(path_, bytes);
    size_ = bytes.size();
  }
  ~FullFile() { std::filesystem::remove_all(dir_); }
  const std::string &path() const { return path_; }
  std::size_t size() const { return size_; }

 private:
  static void Fill(DtuConfig &c) {
    int n = 1000;
    c.uart = {115200, 3, 3};
    c.modbus.funcSwitch = 1;
    c.modbus.maxChannel = 6;
    for (auto &ch : c.modbus.channel) ch = {++n, 3, ++n, 10, 5};
    for (auto &ch : c.modbusCache.channel) ch = {++n, 3, ++n, 10, 5};
    for (auto &rule : c.decode.rule) {
      rule.rule = 1;
      rule.maxParamCnt = DtuConfig::kDecodeParams;
      for (auto &p : rule.param) p.tag = "temperature" + std::to_string(++n), p.rate = 10;
    }
    c.deviceInfo.remoteCfgServer = "config.example.net";
    c.tcpUdp.TCPServer = c.tcpUdp.UDPServer = "data.example.net";
    c.mqtt.Server = c.aliyun.Server = c.onenet.Server = "broker.example.net";
    c.mqtt.ClientId = std::string(200, 'c');
    for (auto *packet : {&c.bhu.heartBeat}) packet->itemNum = DtuConfig::kBhuItems;
    c.bhu.login.itemNum = c.bhu.UserData.itemNum = DtuConfig::kBhuItems;
    c.bhu.login.data = std::string(256, 'l');
    c.bhu.UserData.data = std::string(1024, 'u');
    c.netInfo.apn = "cmnet";
    c.dlt645.maxChannel = 6;
    for (auto &ch : c.dlt645.channel) {
      ch.addr = "000000000001";
      for (auto &di : ch.di) di = "00010000";
    }
    for (auto &rule : c.dlt645.rule) {
      rule.rule = 1;
      rule.paramCnt = DtuConfig::kDlt645Params;
      for (auto &p : rule.param) p.tag = "energy", p.di = "00010000", p.rate = 1;
    }
  }
  std::string dir_;
  std::string path_;
  std::size_t size_ = 0;
};

void BM_LoadAndSave(benchmark::State &state) {
  FullFile file;
  for (auto _ : state) {
    DtuConfig c;
    if (!c.LoadFromFile(file.path())) state.SkipWithError("load failed");
    c.uart.Baudrate = 9600;
    if (!c.SaveToFile(file.path())) state.SkipWithError("save failed");
  }
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_LoadAndSave)->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(15)->ReportAggregatesOnly(true);

void BM_Load(benchmark::State &state) {
  FullFile file;
  for (auto _ : state) {
    DtuConfig c;
    benchmark::DoNotOptimize(c.LoadFromFile(file.path()));
  }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(200)->Repetitions(15)->ReportAggregatesOnly(true);

void BM_LoadByPerKeyScan(benchmark::State &state) {
  FullFile file;
  for (auto _ : state) {
    DtuConfig c;
    FILE *f = std::fopen(file.path().c_str(), "r");
    c.UartSection(f, DtuConfig::kRead);
    c.ModbusSection(f, DtuConfig::kRead);
    c.DeviceInfoSection(f, DtuConfig::kRead);
    c.ChannelSection(f, DtuConfig::kRead);
    c.TcpUdpSection(f, DtuConfig::kRead);
    c.MqttSection(f, DtuConfig::kRead);
    c.BhuSection(f, DtuConfig::kRead);
    c.NetInfoSection(f, DtuConfig::kRead);
    c.AliyunSection(f, DtuConfig::kRead);
    c.OnenetSection(f, DtuConfig::kRead);
    c.ModbusCacheSection(f, DtuConfig::kRead);
    c.Dlt645Section(f, DtuConfig::kRead);
    std::fclose(f);
  }
}
BENCHMARK(BM_LoadByPerKeyScan)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
