// The simulated device: its answers, its stored settings and its faults,
// driven through the real command port over a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/dtu_message.h"
#include "link/dtu_cmd_ring.h"
#include "sim/dtu_sim.h"
#include "sim/dtu_sim_line.h"
#include "tests/support/sim_link.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;

TEST(DtuSimLine, ParsesGetSetAndRejectsTheRest) {
  auto get = DtuSimParseLine("AT+ZEVCFG=get|modbus-slave-cfg|0001\r\n");
  EXPECT_EQ(get.kind, DtuSimCommand::kGet);
  EXPECT_EQ(get.key, "modbus-slave-cfg");
  EXPECT_EQ(get.argument, "0001");
  auto set = DtuSimParseLine("AT+ZEVCFG=set|mqtt-password|a[dec]b[comma]c\r\n");
  EXPECT_EQ(set.kind, DtuSimCommand::kSet);
  EXPECT_EQ(set.argument, "a|b,c");
  EXPECT_EQ(DtuSimParseLine("AT+ZEVCFG=set|reboot\r\n").has_argument, false);
  EXPECT_EQ(DtuSimParseLine("AT\r\n").kind, DtuSimCommand::kAt);
  EXPECT_EQ(DtuSimParseLine("AT+ZEVCFG=put|x\r\n").kind, DtuSimCommand::kMalformed);
  EXPECT_EQ(DtuSimParseLine("AT+ZEVCFG=get|\r\n").kind, DtuSimCommand::kMalformed);
  EXPECT_EQ(DtuSimParseLine("hello\r\n").kind, DtuSimCommand::kMalformed);
}

TEST(DtuSimAnswers, EveryKeyOfTheTableAnswersAndSetsAreStored) {
  DtuSim sim;
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|version\r\n"), "\r\nversion : VN-DTU-V1.0.3\r\n\r\nOK\r\n");
  const std::string imei = sim.Store().Value("imei");
  EXPECT_EQ(imei.size(), 15u);
  EXPECT_EQ(sim.Store().Value("imsi").size(), 15u);
  EXPECT_EQ(sim.Store().Value("iccid").size(), 20u);
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|IMEI\r\n"), "\r\nIMEI : " + imei + "\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=set|imei|1\r\n"), "\r\nERROR\r\n");  // read only
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|no-such-key\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(sim.AnswerFor("garbage\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=set|logLevel|3\r\n"), "\r\nlogLevel : 3\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|logLevel\r\n"), "\r\nlogLevel : 3\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=set|reboot\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=set|reload\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(sim.Store().Value("logLevel"), "2");  // factory value again
}

TEST(DtuSimAnswers, ChannelKeysAnswerFromStoredPayloads) {
  DtuSim sim;
  sim.AnswerFor("AT+ZEVCFG=set|modbus-slave-cfg|0002001700040004000100023600\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|modbus-slave-cfg|0002\r\n"),
            "\r\nmodbus-slave-cfg : 0002001700040004000100023600\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|modbus-slave-cfg|0009\r\n"), "\r\nERROR\r\n");

  sim.AnswerFor("AT+ZEVCFG=set|modbus-slave-rule|000101020104temp0000000003000000000001\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|modbus-slave-rule|0001FF\r\n"),
            "\r\nmodbus-slave-rule : 00010102\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|modbus-slave-rule|00010001\r\n"),
            "\r\nmodbus-slave-rule : 000101020104temp0000000003000000000001\r\n\r\nOK\r\n");
  sim.AnswerFor("AT+ZEVCFG=set|modbus-slave-rule|000100\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|modbus-slave-rule|0001FF\r\n"),
            "\r\nmodbus-slave-rule : 00010000\r\n\r\nOK\r\n");

  sim.AnswerFor("AT+ZEVCFG=set|modbus-cache-slave-cfg|030001030000000000100005\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|modbus-cache-slave-cfg|3\r\n"),
            "\r\nmodbus-cache-slave-cfg : 030001030000000000100005\r\n\r\nOK\r\n");

  sim.AnswerFor("AT+ZEVCFG=set|dlt645-channel|2\r\n");
  sim.AnswerFor("AT+ZEVCFG=set|dlt645-meter-cfg|ch:2/addr:000012345678/preamble:4/cycle:60/diNum:1/di1:00010000;\r\n");
  const std::string meters = sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-cfg|\r\n");
  EXPECT_NE(meters.find("ch:1/"), std::string::npos);
  EXPECT_NE(meters.find("ch:2/addr:000012345678/preamble:4/cycle:60/diNum:1/di1:00010000;"), std::string::npos);
  sim.AnswerFor("AT+ZEVCFG=set|dlt645-meter-rule-item|ch:1/paramId:2/tag:ua/di:02010100/dataType:1/dataEndian:0/dataRule:0/rate:10\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-rule-item|ch:1/paramId:2\r\n"),
            "\r\ndlt645-meter-rule-item : ch:1/paramId:2/tag:ua/di:02010100/dataType:1/dataEndian:0/dataRule:0/rate:10\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.AnswerFor("AT+ZEVCFG=get|dlt645-meter-rule|ch:4\r\n"),
            "\r\ndlt645-meter-rule : ch:4/rule:0/paramCnt:0\r\n\r\nOK\r\n");
}

TEST(DtuSimState, SettingsSurviveARestartThroughTheStateFile) {
  TempDir dir;
  DtuSimOptions options;
  options.state_file = dir.File("state.json");
  {
    DtuSim sim(options);
    ASSERT_TRUE(sim.Start());
    sim.AnswerFor("AT+ZEVCFG=set|mqtt-addr|broker.local\r\n");
    sim.AnswerFor("AT+ZEVCFG=set|modbus-slave-cfg|0001000100030000000000100005\r\n");
  }
  DtuSim again(options);
  ASSERT_TRUE(again.Start());
  EXPECT_EQ(again.Store().Value("mqtt-addr"), "broker.local");
  EXPECT_EQ(again.Store().ChannelValue("modbus-slave-cfg", "1"), "0001000100030000000000100005");
  DtuSimOptions broken;
  broken.state_file = dir.File("broken.json");
  FILE *f = fopen(broken.state_file.c_str(), "w");
  fputs("{not json", f);
  fclose(f);
  std::string error;
  DtuSim bad(broken);
  EXPECT_FALSE(bad.Start(&error));
  EXPECT_NE(error.find("not valid JSON"), std::string::npos);
}

TEST(DtuSimWire, RecordsTheExactLinesAndAnswersThroughThePort) {
  SimLink link;
  const char version[] = "AT+ZEVCFG=get|version\r\n";
  ASSERT_EQ(DtuCmdPort::DtuCmdRingbufSend(version, sizeof(version)), 0);  // NUL included, as pages do
  link.Queue("AT+ZEVCFG=set|mqtt-password|a|b,c\r\n");
  auto chunks = link.WaitForChunks(2, 5s);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "version : VN-DTU-V1.0.3");
  EXPECT_EQ(chunks[1], "mqtt-password : a|b,c");
  auto lines = link.Sim().ReceivedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "AT+ZEVCFG=get|version\r\n");
  EXPECT_EQ(lines[1], "AT+ZEVCFG=set|mqtt-password|a[dec]b[comma]c\r\n");
}

TEST(DtuSimFaults, ErrorKeyAckOnlyAndSilentEvery) {
  DtuSimOptions options;
  options.error_keys = {"imei"};
  options.ack_only_keys = {"loglevel"};
  options.silent_every = 3;
  SimLink link(options);
  link.Queue("AT+ZEVCFG=get|imei\r\n");
  link.Queue("AT+ZEVCFG=set|logLevel|1\r\n");
  link.Queue("AT+ZEVCFG=get|version\r\n");  // the third: no answer
  ASSERT_EQ(link.Sim().WaitForLines(3, 5s).size(), 3u);
  // The simulator answers in order: an answer to the silent line would come
  // before the answer to this one, written past the queue.
  ASSERT_GT(link.Port().SendRaw("AT+ZEVCFG=get|imsi"), 0);
  auto chunks = link.WaitForChunks(3, 5s);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0], "ERROR");
  EXPECT_EQ(chunks[1], "");  // a bare OK cleans to nothing
  EXPECT_EQ(chunks[2], "imsi : 460041234567890");
  EXPECT_EQ(link.Sim().Store().Value("logLevel"), "1");
}

TEST(DtuSimFaults, SplitAnswerArrivesAsTwoChunks) {
  DtuSimOptions options;
  options.split_gap_ms = 200;
  SimLink link(options);
  link.Queue("AT+ZEVCFG=get|version\r\n");
  auto chunks = link.WaitForChunks(2, 5s);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "version : VN-DTU-V1.0.3");
  EXPECT_EQ(chunks[1], "");  // the OK line alone
}

// A value ending in "ok" whose OK line comes after a pause longer than the
// quiet gap reaches the page whole: only an OK on a line of its own is cut.
TEST(DtuSimFaults, ValueEndingInOkSurvivesALateOkLine) {
  DtuSimOptions options;
  options.split_gap_ms = 60;
  SimLink link(options);
  link.Sim().Store().SetValue("mqtt-pubtopic", "/facebook");
  link.Queue("AT+ZEVCFG=get|mqtt-pubtopic\r\n");
  auto chunks = link.WaitForChunks(2, 5s);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "mqtt-pubtopic : /facebook");
}

TEST(DtuSimFaults, UnplugAfterClosesTheToolsPort) {
  DtuSimOptions options;
  options.unplug_after = 2;
  auto previous = DtuSetMessageSink([](const std::string &) {});
  {
    SimLink link(options);
    std::mutex m;
    std::condition_variable cv;
    std::string lost;
    link.Port().SetPortLostHandler([&](const std::string &text) {
      std::lock_guard<std::mutex> lock(m);
      lost = text;
      cv.notify_all();
    });
    for (int i = 0; i < 5; ++i) link.Queue("AT+ZEVCFG=get|imei\r\n");
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, 5s, [&] { return !lost.empty(); });
    EXPECT_EQ(lost, "the port was closed: read failed error");
    lock.unlock();
    for (int i = 0; i < 100 && link.Port().IsOpen(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(link.Port().IsOpen());
    EXPECT_EQ(DtuCmdRingInstance().Waiting(), 0);
    EXPECT_EQ(link.Sim().ReceivedLines().size(), 2u);
  }
  DtuSetMessageSink(previous);
}

TEST(DtuSimFaults, LatencyAndBaudPacingDelayTheAnswer) {
  DtuSimOptions options;
  options.latency_ms = 150;
  options.baud = 9600;  // about 1 ms per byte
  SimLink link(options);
  const auto start = std::chrono::steady_clock::now();
  link.Queue("AT+ZEVCFG=get|remoteCfgInfo\r\n");
  auto chunks = link.WaitForChunks(1, 5s);
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0], "remoteCfgInfo : 100001883cfg.example.com");
  // 150 ms latency + 51 bytes at 9600 baud (53 ms); the quiet gap comes on top.
  EXPECT_GE(took, 200ms);
}

// Device personalities, one per row: the exact bytes that answer the row's
// lines over the device's own line, and the stored logLevel afterwards. A
// closing "AT" (a bare OK in every personality) ends each row, so a line that
// gets no answer shows without waiting for time to pass.
struct PersonalityRow {
  const char *name;
  DtuSimOptions (*personality)();
  std::vector<std::string> lines;
  std::string answer;     // to `lines`, byte for byte, without the closing OK
  std::string log_level;  // factory value: "2"
};

void PrintTo(const PersonalityRow &row, std::ostream *out) { *out << row.name; }

class DtuSimPersonality : public ::testing::TestWithParam<PersonalityRow> {
 protected:
  // Writes the lines and "AT" to the device line; returns what came back.
  static std::string Exchange(const std::string &slave_path, const std::vector<std::string> &lines, size_t want) {
    const int fd = open(slave_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return "cannot open " + slave_path;
    std::string out;
    for (const std::string &line : lines) out += line;
    out += "AT\r\n";
    if (write(fd, out.data(), out.size()) != static_cast<ssize_t>(out.size())) out.clear();
    std::string in;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (in.size() < want && std::chrono::steady_clock::now() < deadline) {
      pollfd readable = {fd, POLLIN, 0};
      char buf[512];
      if (poll(&readable, 1, 50) <= 0) continue;
      const ssize_t n = read(fd, buf, sizeof(buf));
      if (n > 0) in.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return in;
  }
};

TEST_P(DtuSimPersonality, AnswersAndStoresAsTheDeviceWould) {
  const PersonalityRow &row = GetParam();
  DtuSim sim(row.personality());
  ASSERT_TRUE(sim.Start());
  const std::string closing = "\r\nOK\r\n";
  EXPECT_EQ(Exchange(sim.SlavePath(), row.lines, row.answer.size() + closing.size()), row.answer + closing);
  EXPECT_EQ(sim.Store().Value("logLevel"), row.log_level);
}

namespace {

DtuSimOptions AckStyle(DtuSimAckStyle style) {
  DtuSimOptions options;
  options.ack_style = style;
  return options;
}

const std::string kSet3 = "AT+ZEVCFG=set|logLevel|3\r\n";
const std::string kSet4 = "AT+ZEVCFG=set|logLevel|4\r\n";
const std::string kEcho3 = "\r\nlogLevel : 3\r\n\r\nOK\r\n";
const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Rows, DtuSimPersonality,
    ::testing::Values(
        PersonalityRow{"EchoAck", [] { return AckStyle(DtuSimAckStyle::kEcho); }, {kSet3}, kEcho3, "3"},
        PersonalityRow{"BareOkAck", [] { return AckStyle(DtuSimAckStyle::kOk); }, {kSet3}, kOk, "3"},
        PersonalityRow{"MixedAckAlternates", [] { return AckStyle(DtuSimAckStyle::kMixed); },
                       {kSet3, kSet4, "AT+ZEVCFG=set|logLevel|5\r\n"},
                       kEcho3 + kOk + "\r\nlogLevel : 5\r\n\r\nOK\r\n", "5"},
        PersonalityRow{"BareOkDeviceStillRefusesWhatItCannotTake", [] { return AckStyle(DtuSimAckStyle::kOk); },
                       {"AT+ZEVCFG=set|imei|1\r\n"}, kError, "2"},
        PersonalityRow{"EmptyValueOfOneKey",
                       [] {
                         DtuSimOptions options;
                         options.empty_keys = {"loglevel"};
                         return options;
                       },
                       {"AT+ZEVCFG=get|logLevel\r\n", "AT+ZEVCFG=get|version\r\n"},
                       "\r\nlogLevel : \r\n\r\nOK\r\n\r\nversion : VN-DTU-V1.0.3\r\n\r\nOK\r\n", "2"},
        PersonalityRow{"EmptyValueOfEveryKey",
                       [] {
                         DtuSimOptions options;
                         options.empty_keys = {"all"};
                         return options;
                       },
                       {"AT+ZEVCFG=get|imei\r\n", kSet3}, "\r\nimei : \r\n\r\nOK\r\n" + kEcho3, "3"},
        PersonalityRow{"BadValue",
                       [] {
                         DtuSimOptions options;
                         options.bad_values = {{"loglevel", "abc"}};
                         return options;
                       },
                       {"AT+ZEVCFG=get|LogLevel\r\n"}, "\r\nLogLevel : abc\r\n\r\nOK\r\n", "2"},
        PersonalityRow{"BadValueEchoesASetThatIsStoredAsSent",
                       [] {
                         DtuSimOptions options;
                         options.bad_values = {{"loglevel", "4"}};
                         return options;
                       },
                       {kSet3}, "\r\nlogLevel : 4\r\n\r\nOK\r\n", "3"},
        PersonalityRow{"LostLineIsNotApplied",
                       [] {
                         DtuSimOptions options;
                         options.lose_line = 2;
                         return options;
                       },
                       {kSet3, kSet4}, kEcho3, "3"},
        PersonalityRow{"RefusedLineIsNotApplied",
                       [] {
                         DtuSimOptions options;
                         options.refuse_line = 1;
                         return options;
                       },
                       {kSet3, "AT+ZEVCFG=get|logLevel\r\n"}, kError + "\r\nlogLevel : 2\r\n\r\nOK\r\n", "2"}),
    [](const ::testing::TestParamInfo<PersonalityRow> &info) { return std::string(info.param.name); });
