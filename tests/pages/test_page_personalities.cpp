// Every varnokctl page against devices that answer in other legal ways (or
// fail one line): the page's Read and then its Set, run as `varnokctl set`
// runs them, and what the page reported and the device holds afterwards.
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "tests/pages/wire_fixture.h"

namespace {

// Rows that fail today, each with the defect it shows; delete a row's entry
// when its fix lands (VARNOK_RUN_KNOWN_FAILURES=1 runs them all).
struct KnownFailure {
  const char *page;
  const char *personality;
  const char *defect;
};
const KnownFailure kKnownFailures[] = {
};

enum class Personality {
  kEchoAck,         // set lines acknowledged by the key line (as dtu-sim by default)
  kBareOkAck,       // by a bare OK
  kMixedAck,        // alternately
  kRefusedSetLine,  // the Set's first line answered ERROR
  kLostSetLine,     // the Set's first line gets no answer
  kFailedRead,      // the Read's first line answered ERROR
};

const char *Name(Personality p) {
  switch (p) {
    case Personality::kEchoAck: return "EchoAck";
    case Personality::kBareOkAck: return "BareOkAck";
    case Personality::kMixedAck: return "MixedAck";
    case Personality::kRefusedSetLine: return "RefusedSetLine";
    case Personality::kLostSetLine: return "LostSetLine";
    case Personality::kFailedRead: return "FailedRead";
  }
  return "";
}

void PrintTo(Personality p, std::ostream *out) { *out << Name(p); }

const char *Name(DtuPageRun run) {
  switch (run) {
    case DtuPageRun::kDone: return "kDone";
    case DtuPageRun::kRefused: return "kRefused";
    case DtuPageRun::kTimedOut: return "kTimedOut";
    case DtuPageRun::kIncomplete: return "kIncomplete";
    case DtuPageRun::kPortClosed: return "kPortClosed";
    case DtuPageRun::kDeviceError: return "kDeviceError";
    case DtuPageRun::kFailed: return "kFailed";
  }
  return "";
}

// What a page's Set changes, and where the device keeps it afterwards.
struct PageChange {
  const char *page;
  std::vector<std::string> fields;  // name=value, as on varnokctl's command line
  const char *key;
  const char *channel;  // "" for a plain key
  const char *stored;
};
const PageChange kChanges[] = {
    {"dataport", {"BaudRate=5"}, "uart-baudrate", "", "19200"},
    {"modbus", {"funcSwitch=1", "slave1=1", "Function1=3", "Addr1=0", "Len1=10", "Cycle1=7"}, "modbus-slave-cfg", "1",
     "00010001000300000000001007"},
    {"modbuscache", {"Cycle1=7"}, "modbus-cache-slave-cfg", "1", "010001030000000000100007"},
    {"dlt645", {"cycle1=30"}, "dlt645-meter-cfg", "1",
     "ch:1/addr:000012345671/preamble:4/cycle:30/diNum:1/di1:00010000;"},
    {"devinfo", {"LogLevel=3"}, "logLevel", "", "3"},
    {"net", {"DialType=1", "APN=cmnet"}, "netInfo", "", "apn:cmnet&username:&pwd:"},  // Manual after Auto drops the blanks
    {"workmode", {"WorkMode=2"}, "mqtt-channel", "", "2"},
    {"tcpudp", {"TcpServer=10.0.0.5"}, "tcp-addr", "", "10.0.0.5"},
    {"mqtt", {"Server=broker.local"}, "mqtt-addr", "", "broker.local"},
    {"aliyun", {"Server=aly.local"}, "aly-mqtt-addr", "", "aly.local"},
    {"onenet", {"Server=one.local"}, "onenet-mqtt-addr", "", "one.local"},
    {"bhu", {"funcSwitch_login=1", "data_login=AABB"}, "bhu-login", "", "100004AABB"},
};

constexpr int kReadTimeoutMs = 10000;
constexpr int kSetTimeoutMs = 4000;
// A lost line holds the queue for the command port's 5 s answer wait; the
// lines after it go out after that.
constexpr int kLostSetTimeoutMs = 6500;

using Row = std::tuple<std::string, Personality>;

// A lost line costs the command port's 5 s answer wait: only the pages that
// end a Set by ways of their own lose one (the field-table pages share one
// way, which tests/pages/test_page_outcomes.cpp covers with silent lines).
bool LosesALine(const std::string &page) {
  for (const char *name : {"modbus", "modbuscache", "dlt645", "bhu"}) {
    if (page == name) return true;
  }
  return false;
}

// Every varnokctl page with every personality.
std::vector<Row> AllRows() {
  std::vector<Row> rows;
  for (const std::string &page : DtuPageNames()) {
    for (Personality p : {Personality::kEchoAck, Personality::kBareOkAck, Personality::kMixedAck,
                          Personality::kRefusedSetLine, Personality::kLostSetLine, Personality::kFailedRead}) {
      if (p != Personality::kLostSetLine || LosesALine(page)) rows.emplace_back(page, p);
    }
  }
  return rows;
}

class PagePersonality : public PageWireTest, public ::testing::WithParamInterface<Row> {
 protected:
  const std::string &PageName() const { return std::get<0>(GetParam()); }
  Personality Kind() const { return std::get<1>(GetParam()); }

  const PageChange *Change() const {
    for (const PageChange &change : kChanges) {
      if (PageName() == change.page) return &change;
    }
    return nullptr;
  }
  const KnownFailure *Known() const {
    if (std::getenv("VARNOK_RUN_KNOWN_FAILURES") != nullptr) return nullptr;
    for (const KnownFailure &known : kKnownFailures) {
      if (PageName() == known.page && std::string(Name(Kind())) == known.personality) return &known;
    }
    return nullptr;
  }
  // The number the device gives the next line it receives.
  int NextLine() { return Sim().CommandsSeen() + 1; }
  void Personalise(const std::function<void(DtuSimOptions &)> &change) {
    DtuSimOptions options = Sim().Options();
    change(options);
    Sim().SetOptions(options);
  }
  std::string Stored(const PageChange &change) {
    return *change.channel ? Sim().Store().ChannelValue(change.key, change.channel) : DeviceValue(change.key);
  }
  std::vector<std::string> SetLines() const {
    std::vector<std::string> sets;
    for (const std::string &line : Lines()) {
      if (line.find("=set|") != std::string::npos) sets.push_back(line);
    }
    return sets;
  }
  std::string Wire() const {
    std::string text;
    for (const std::string &line : Lines()) text += "\n  " + line;
    return text;
  }
};

}  // namespace

TEST_P(PagePersonality, ReadThenSetEndsAsTheDeviceAnswered) {
  if (const KnownFailure *known = Known()) GTEST_SKIP() << known->defect;
  const PageChange *change = Change();
  ASSERT_NE(change, nullptr) << "no change known for page " << PageName();
  std::unique_ptr<DtuPage> page = DtuCreatePage(PageName());
  ASSERT_NE(page, nullptr);

  const Personality kind = Kind();
  const int next = NextLine();
  if (kind == Personality::kBareOkAck) Personalise([](DtuSimOptions &o) { o.ack_style = DtuSimAckStyle::kOk; });
  if (kind == Personality::kMixedAck) Personalise([](DtuSimOptions &o) { o.ack_style = DtuSimAckStyle::kMixed; });
  if (kind == Personality::kFailedRead) Personalise([next](DtuSimOptions &o) { o.refuse_line = next; });

  const DtuPageRun read = DtuPageRunRead(*page, kReadTimeoutMs);
  if (kind == Personality::kFailedRead) {
    EXPECT_NE(read, DtuPageRun::kDone) << Wire();
    if (read != DtuPageRun::kDone) return;  // varnokctl writes nothing after a failed Read
  } else {
    ASSERT_EQ(read, DtuPageRun::kDone) << Name(read) << Wire();
  }
  for (const std::string &field : change->fields) {
    std::string error;
    const size_t eq = field.find('=');
    ASSERT_TRUE(page->SetField(field.substr(0, eq), field.substr(eq + 1), error)) << error;
  }
  const int first_set = NextLine();
  if (kind == Personality::kRefusedSetLine) Personalise([first_set](DtuSimOptions &o) { o.refuse_line = first_set; });
  if (kind == Personality::kLostSetLine) Personalise([first_set](DtuSimOptions &o) { o.lose_line = first_set; });

  const bool lost = kind == Personality::kLostSetLine;
  const DtuPageRun set = DtuPageRunSet(*page, lost ? kLostSetTimeoutMs : kSetTimeoutMs);
  switch (kind) {
    case Personality::kEchoAck:
    case Personality::kBareOkAck:
    case Personality::kMixedAck:
      EXPECT_EQ(set, DtuPageRun::kDone) << Name(set) << Wire();
      EXPECT_EQ(Stored(*change), change->stored) << Wire();
      break;
    case Personality::kRefusedSetLine: EXPECT_EQ(set, DtuPageRun::kDeviceError) << Name(set) << Wire(); break;
    case Personality::kLostSetLine: EXPECT_NE(set, DtuPageRun::kDone) << Name(set) << Wire(); break;
    case Personality::kFailedRead:
      EXPECT_EQ(SetLines(), std::vector<std::string>{}) << "read " << Name(read) << ", set " << Name(set) << Wire();
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, PagePersonality, ::testing::ValuesIn(AllRows()),
                         [](const ::testing::TestParamInfo<Row> &info) {
                           return std::get<0>(info.param) + "_" + Name(std::get<1>(info.param));
                         });
