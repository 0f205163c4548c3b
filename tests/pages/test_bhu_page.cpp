// The business packet page against the simulated device: Read and Set of
// every packet type, the refusals, the answers that cannot be shown, and the
// local file.
#include <string>
#include <vector>

#include "base/dtu_lang.h"
#include "pages/bhu/dtu_bhu.h"
#include "pages/dtu_page_runner.h"
#include "pages/kit/dtu_page_store.h"
#include "tests/pages/wire_fixture.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using T = DtuBhuPacketType;
constexpr int kTimeoutMs = 8000;

const std::string kLayout = "11000103010201020000000000000202AB0000000000000005040102000000000000";

std::string Get(const char *key) { return std::string("AT+ZEVCFG=get|") + key; }
std::string Set(const char *key, const std::string &payload) { return std::string("AT+ZEVCFG=set|") + key + "|" + payload; }

std::string TextOf(DtuTextId id) { return DtuLangText(id); }

class BhuWire : public PageWireTest {
 protected:
  void SetUp() override {
    PageWireTest::SetUp();
    page_ = std::make_unique<DtuBhu>();
  }
  void TearDown() override {
    page_.reset();
    PageWireTest::TearDown();
  }
  void Fill(T type, const Pairs &fields) {
    page_->Select(type);
    for (const auto &[name, value] : fields) {
      std::string error;
      EXPECT_TRUE(page_->SetField(name, value, error)) << error;
    }
  }
  std::string Field(const std::string &name) const {
    std::string value;
    EXPECT_TRUE(page_->GetField(name, value)) << name;
    return value;
  }
  std::unique_ptr<DtuBhu> page_;
};

struct ReadCase {
  const char *name;
  T type;
  Pairs device;
  std::vector<std::string> queries;
  Pairs expected;
};
void PrintTo(const ReadCase &c, std::ostream *out) { *out << c.name; }

class BhuRead : public BhuWire, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(BhuRead, FillsThePacketFromTheDevice) {
  const ReadCase &c = GetParam();
  for (const auto &[key, value] : c.device) SetDeviceValue(key, value);
  page_->Select(c.type);
  ASSERT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Lines(), c.queries);
  for (const auto &[field, value] : c.expected) EXPECT_EQ(Field(field), value) << field;
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Packets, BhuRead,
    ::testing::Values(
        ReadCase{"LoginText", T::kLogin, {{"bhu-login", "100005hello"}}, {Get("bhu-login")},
                 {{"funcSwitch_login", "1"}, {"dataType_login", "0"}, {"data_login", "hello"}}},
        ReadCase{"HeartFields",
                 T::kHeart,
                 {{"bhu-heart", "12000000300016" "01024142${CRC16}"}, {"bhu-hex-heart-cfg", kLayout}},
                 {Get("bhu-heart"), Get("bhu-hex-heart-cfg")},
                 {{"cycle_heartBeat", "30"}, {"dataType_heartBeat", "2"}, {"itemNum_heartBeat", "3"},
                  {"itemType1_heartBeat", "0"}, {"itemData1_heartBeat", "0102"}, {"itemType2_heartBeat", "1"},
                  {"itemData2_heartBeat", "AB"}, {"itemType3_heartBeat", "4"}, {"itemData3_heartBeat", "0102"}}},
        ReadCase{"DataHexBytes", T::kData, {{"bhu-data", "11000000600013" "0102${IMEI}AA"}}, {Get("bhu-data")},
                 {{"funcSwitch_UserData", "1"}, {"cycle_UserData", "60"}, {"dataType_UserData", "1"},
                  {"data_UserData", "0102${IMEI}AA"}}},
        ReadCase{"HeaderSwitchedOff", T::kHeader, {{"bhu-header", "000003abc"}}, {Get("bhu-header")},
                 {{"funcSwitch_header", "0"}, {"data_header", "abc"}}}),
    [](const ::testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });

struct SetCase {
  const char *name;
  T type;
  Pairs fields;
  std::vector<std::string> lines;
  DtuTextId confirmation;
};
void PrintTo(const SetCase &c, std::ostream *out) { *out << c.name; }

class BhuSet : public BhuWire, public ::testing::WithParamInterface<SetCase> {};

TEST_P(BhuSet, PutsItsLinesOnTheWireAndConfirms) {
  const SetCase &c = GetParam();
  Fill(c.type, c.fields);
  ASSERT_EQ(DtuPageRunSet(*page_, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Lines(), c.lines);
  EXPECT_EQ(messages_, std::vector<std::string>{TextOf(c.confirmation)});
}

INSTANTIATE_TEST_SUITE_P(
    Packets, BhuSet,
    ::testing::Values(
        SetCase{"LoginOffSendsOnlyTheSwitch", T::kLogin, {{"funcSwitch_login", "0"}, {"data_login", "ignored"}},
                {Set("bhu-login", "0")}, DtuTextId::kBhuLoginSucceeded},
        SetCase{"LoginHexNormalised", T::kLogin,
                {{"funcSwitch_login", "1"}, {"dataType_login", "1"}, {"data_login", "0x01 0x02 ${IMEI} aa"}},
                {Set("bhu-login", "1100130102${IMEI}AA")}, DtuTextId::kBhuLoginSucceeded},
        SetCase{"HeartFieldsThenLayout", T::kHeart,
                {{"funcSwitch_heartBeat", "1"}, {"cycle_heartBeat", "30"}, {"dataType_heartBeat", "2"},
                 {"itemNum_heartBeat", "3"}, {"itemType1_heartBeat", "0"}, {"itemData1_heartBeat", "0102"},
                 {"itemType2_heartBeat", "1"}, {"itemData2_heartBeat", "AB"}, {"itemType3_heartBeat", "4"},
                 {"itemData3_heartBeat", "0102"}},
                {Set("bhu-heart", "12000000300016" "01024142${CRC16}"), Set("bhu-hex-heart-cfg", kLayout)},
                DtuTextId::kBhuHeartbeatHexSucceeded},
        SetCase{"Data1024Characters", T::kData,
                {{"funcSwitch_UserData", "1"}, {"cycle_UserData", "99999999"}, {"data_UserData", std::string(1024, 'd')}},
                {Set("bhu-data", "10999999991024" + std::string(1024, 'd'))}, DtuTextId::kBhuDataSucceeded},
        SetCase{"HeaderTextTrimmed", T::kHeader, {{"funcSwitch_header", "1"}, {"data_header", " a|b,c "}},
                {Set("bhu-header", "100005a[dec]b[comma]c")}, DtuTextId::kBhuHeaderSucceeded}),
    [](const ::testing::TestParamInfo<SetCase> &info) { return std::string(info.param.name); });

struct RefusalCase {
  const char *name;
  T type;
  Pairs fields;
  std::string message;
};
void PrintTo(const RefusalCase &c, std::ostream *out) { *out << c.name; }

class BhuRefusal : public BhuWire, public ::testing::WithParamInterface<RefusalCase> {};

// A refused Set sends nothing and leaves nothing waiting: the next Read
// shows no success message.
TEST_P(BhuRefusal, SendsNothingAndConfirmsNothingLater) {
  const RefusalCase &c = GetParam();
  Fill(c.type, c.fields);
  EXPECT_FALSE(page_->Set());
  EXPECT_FALSE(page_->SetPending());
  EXPECT_EQ(messages_, std::vector<std::string>{c.message});
  messages_.clear();
  ASSERT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
  EXPECT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0].rfind("AT+ZEVCFG=get|", 0), 0u);
  EXPECT_TRUE(messages_.empty());
}

const Pairs kHeartOn = {{"funcSwitch_heartBeat", "1"}, {"data_heartBeat", "hi"}};
Pairs With(Pairs base, const Pairs &more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

INSTANTIATE_TEST_SUITE_P(
    Checks, BhuRefusal,
    ::testing::Values(
        RefusalCase{"Data1025", T::kData,
                    {{"funcSwitch_UserData", "1"}, {"cycle_UserData", "5"}, {"data_UserData", std::string(1025, 'd')}},
                    "Packet data length cannot exceed 1024 bytes!"},
        RefusalCase{"PeriodZero", T::kHeart, With(kHeartOn, {{"cycle_heartBeat", "0"}}), "Cycle cannot be negative!"},
        RefusalCase{"PeriodEmpty", T::kHeart, With(kHeartOn, {{"cycle_heartBeat", ""}}), "Cycle cannot be negative!"},
        RefusalCase{"PeriodNineDigits", T::kHeart, With(kHeartOn, {{"cycle_heartBeat", "100000000"}}),
                    "Cycle cannot exceed 99999999 seconds!"},
        RefusalCase{"EscapesPastTheLineLimit", T::kData,
                    {{"funcSwitch_UserData", "1"}, {"cycle_UserData", "5"}, {"data_UserData", std::string(1024, '|')}},
                    "Packet content is too long: a command line cannot exceed 2038 bytes; nothing was sent."},
        RefusalCase{"DeviceEscapeInContent", T::kLogin, {{"funcSwitch_login", "1"}, {"data_login", "a[comma]b"}},
                    "Packet content cannot contain line breaks, \"[dec]\" or \"[comma]\"; nothing was sent."},
        RefusalCase{"LoginNotVisual", T::kLogin, {{"funcSwitch_login", "1"}, {"dataType_login", "2"}},
                    "Login/Register packet does not support visual plugin input!"},
        RefusalCase{"FieldNamed", T::kHeart,
                    With(kHeartOn, {{"cycle_heartBeat", "5"}, {"dataType_heartBeat", "2"}, {"itemNum_heartBeat", "2"},
                                    {"itemType1_heartBeat", "0"}, {"itemData1_heartBeat", "01"},
                                    {"itemType2_heartBeat", "2"}, {"itemData2_heartBeat", "IMEI"}}),
                    "Field 2 device parameter format is invalid, expected ${xxx}"},
        RefusalCase{"CrcRangeNamesItsField", T::kHeart,
                    With(kHeartOn, {{"cycle_heartBeat", "5"}, {"dataType_heartBeat", "2"}, {"itemNum_heartBeat", "2"},
                                    {"itemType1_heartBeat", "0"}, {"itemData1_heartBeat", "01"},
                                    {"itemType2_heartBeat", "3"}, {"itemData2_heartBeat", "0102"}}),
                    "Field 2: CRC range cannot exceed the field before CRC"}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

// Hexadecimal packets come back as bytes: a 0x00 ends the answer text and a
// trailing blank is trimmed, so the content would be short of its length.
TEST_F(BhuWire, HexAnswerThatLostBytesIsShownAsUnreadable) {
  for (const char *content : {"AA00BB", "AA20"}) {
    SetDeviceValue("bhu-login", std::string("11") + (std::string(content).size() == 6 ? "0006" : "0004") + content);
    page_->Select(T::kLogin);
    messages_.clear();
    ASSERT_EQ(DtuPageRunRead(*page_, kTimeoutMs), DtuPageRun::kDone);
    EXPECT_EQ(Field("data_login"), "") << content;
    ASSERT_EQ(messages_.size(), 1u) << content;
    const std::string length = std::string(content).size() == 6 ? "3" : "2";
    EXPECT_EQ(messages_[0], "Login Packet content was read back incomplete (length " + length +
                                " bytes) and cannot be shown; read it again.");
  }
}

// Without a packet answer in time the lists decide: a packet shown as made
// of fields still gets its field layout read.
TEST_F(BhuWire, UnansweredPacketStillReadsTheLayoutTheListsAskFor) {
  FailKey("bhu-heart");
  SetDeviceValue("bhu-hex-heart-cfg", "0000000101020A00000000000000");
  Fill(T::kHeart, {{"dataType_heartBeat", "2"}});
  ASSERT_TRUE(page_->Read());
  ASSERT_TRUE(DtuPageWaitUntil([&] { return !page_->ReadPending(); }, kTimeoutMs));
  EXPECT_EQ(Lines(), (std::vector<std::string>{Get("bhu-heart"), Get("bhu-hex-heart-cfg")}));
  EXPECT_EQ(Field("itemData1_heartBeat"), "0A00");
}

class BhuNoPort : public PageTest {};

TEST_F(BhuNoPort, ReadAndSetSayThePortIsClosed) {
  DtuBhu page;
  EXPECT_FALSE(page.Set());
  EXPECT_FALSE(page.Read());
  EXPECT_FALSE(page.SetPending());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Config port is not open, please open it",
                                                 "Config serial port is not open"}));
}

struct LocalCase {
  const char *name;
  T type;
  Pairs fields;
  std::vector<std::string> file_lines;  // lines the saved file holds
};
void PrintTo(const LocalCase &c, std::ostream *out) { *out << c.name; }

class BhuLocal : public BhuWire, public ::testing::WithParamInterface<LocalCase> {};

TEST_P(BhuLocal, SaveThenReadLocalRestoresThePacket) {
  const LocalCase &c = GetParam();
  WriteConfig("[BHU]\n");
  Fill(c.type, c.fields);
  ASSERT_TRUE(page_->OnBnClickedBtSaveLocal());
  const std::string file = ReadConfig();
  for (const std::string &line : c.file_lines) EXPECT_NE(file.find(line + "\r\n"), std::string::npos) << line;
  page_ = std::make_unique<DtuBhu>();
  page_->Select(c.type);
  ASSERT_TRUE(page_->OnBnClickedBtReadLocal());
  for (const auto &[name, value] : c.fields) EXPECT_EQ(Field(name), value) << name;
  EXPECT_EQ(messages_, (std::vector<std::string>{DtuPageFileText(DtuTextId::kSaveConfigSucceeded),
                                                DtuPageFileText(DtuTextId::kReadLocalSucceeded)}));
}

INSTANTIATE_TEST_SUITE_P(
    Packets, BhuLocal,
    ::testing::Values(
        LocalCase{"LoginText", T::kLogin, {{"funcSwitch_login", "1"}, {"dataType_login", "1"}, {"data_login", "0102"}},
                  {"funcSwitch_login=1", "dataType_login=1", "data_login=0102"}},
        LocalCase{"HeartFields", T::kHeart,
                  {{"funcSwitch_heartBeat", "1"}, {"cycle_heartBeat", "30"}, {"dataType_heartBeat", "2"},
                   {"itemNum_heartBeat", "2"}, {"itemType1_heartBeat", "1"}, {"itemData1_heartBeat", "AB"},
                   {"itemType2_heartBeat", "3"}, {"itemData2_heartBeat", "0101"}},
                  {"cycle_heartBeat=30", "dataType_heartBeat=2", "itemNum_heartBeat=2", "itemType2_heartBeat=3",
                   "itemData2_heartBeat=0101"}},
        LocalCase{"DataOff", T::kData, {{"funcSwitch_UserData", "0"}, {"cycle_UserData", "0"}, {"data_UserData", "x"}},
                  {"funcSwitch_UserData=0", "cycle_UserData=0", "data_UserData=x"}}),
    [](const ::testing::TestParamInfo<LocalCase> &info) { return std::string(info.param.name); });

TEST_F(BhuWire, SaveLocalRefusesWhatTheFileCannotHold) {
  WriteConfig("[BHU]\nitemData1_heartBeat=keep\n");
  Fill(T::kHeart, {{"funcSwitch_heartBeat", "1"}, {"cycle_heartBeat", "5"}, {"dataType_heartBeat", "2"},
                   {"itemType1_heartBeat", "1"}, {"itemData1_heartBeat", std::string(16, 's')}});
  EXPECT_FALSE(page_->OnBnClickedBtSaveLocal());
  EXPECT_EQ(messages_, std::vector<std::string>{"Field 1 cannot exceed 15 characters; nothing was saved!"});
  EXPECT_EQ(ReadConfig(), "[BHU]\nitemData1_heartBeat=keep\n");
}

}  // namespace
