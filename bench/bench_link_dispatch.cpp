// Cleaning + dispatch of typical device answers, as the listener and
// DtuCmdRecvProcess do it for every received chunk. Target: at least
// 1,000,000 answers per second on one core.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/dtu_cmd_protocol.h"
#include "link/dtu_cmd_resp_table.h"

namespace {

int g_handled = 0;
void CountingHandler(const char *value, int) { g_handled += value[0] != '\0'; }

const std::vector<std::string> &TypicalAnswers() {
  static const std::vector<std::string> answers = {
      "\r\nversion : VN-DTU-V1.0.3\r\n\r\nOK\r\n",
      "\r\nimei : 862104051234567\r\n\r\nOK\r\n",
      "\r\nremoteCfgInfo : 100001883cfg.example.com\r\n\r\nOK\r\n",
      "\r\nmqtt-addr : 127.0.0.1\r\n\r\nOK\r\n",
      "\r\nmodbus-slave-cfg : 00010001000300000000001005\r\n\r\nOK\r\n",
      "\r\nonenet-mqtt-accessKey : simaccesskey\r\n\r\nOK\r\n",
      "\r\ndlt645-meter-rule-item : ch:1/paramId:2/tag:ua/di:02010100/dataType:1/dataEndian:0/dataRule:0/rate:10\r\n\r\nOK\r\n",
      "\r\nOK\r\n",
  };
  return answers;
}

void BM_CleanAndDispatch(benchmark::State &state) {
  DtuCmdDetachAllHandlers();
  for (int r = 0; r < kDtuCmdRespTableRows; ++r) {
    std::string key = DtuCmdRespPrefix(r);
    DtuCmdAttachHandler(key.substr(0, key.size() - 3).c_str(), CountingHandler);
  }
  const auto &answers = TypicalAnswers();
  std::vector<char> cleaned(4096);
  size_t i = 0;
  for (auto _ : state) {
    const std::string &raw = answers[i++ % answers.size()];
    int length = DtuCmdCleanAnswer(raw.data(), static_cast<int>(raw.size()), cleaned.data());
    DtuCmdRecvProcess(cleaned.data(), length);
  }
  state.SetItemsProcessed(state.iterations());
  benchmark::DoNotOptimize(g_handled);
  DtuCmdDetachAllHandlers();
}
BENCHMARK(BM_CleanAndDispatch);

void BM_EscapeSetLine(benchmark::State &state) {
  const std::string line = "AT+ZEVCFG=set|mqtt-password|a|b,c,d|e\r\n";
  char out[kDtuEscapedMax];
  for (auto _ : state) benchmark::DoNotOptimize(DtuCmdEscape(line.data(), static_cast<int>(line.size()), out));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EscapeSetLine);

}  // namespace

BENCHMARK_MAIN();
