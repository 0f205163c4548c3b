// The Virtual Serial page without a platform: its [iotInfo] section, its
// labels and its log.

#include "pages/virtual_serial/virtual_serial_log.h"
#include "tests/app/virtual_serial_fixture.h"

namespace {

const char kDefaultSection[] =
    "\r\n[iotInfo]\r\n"
    "username = Please enter device platform account\r\n"
    "password = Please enter device platform password\r\n"
    "productKey = Please enter productKey\r\n"
    "productSecret = Please enter productSecret\r\n";

TEST_F(VirtualSerialTest, WithoutAFileShowingThePageCreatesOnlyTheSection) {
  ASSERT_EQ(remove(ConfigPath().c_str()), 0);
  ShowPage();
  EXPECT_EQ(ConfigText(), kDefaultSection);
  // The file's prompts are placeholders, not field content.
  EXPECT_EQ(FieldText("Username"), "");
  EXPECT_EQ(Find<QLineEdit>("Username")->placeholderText(), "Please enter device platform account");
  EXPECT_EQ(Find<QLineEdit>("ProductSecret")->placeholderText(), "Please enter productSecret");
}

TEST_F(VirtualSerialTest, SectionOutlivesAnotherPagesSaveToLocal) {
  ShowPage();
  Type("Username", "alice");
  Click("RefreshDevices");  // saves changed fields first
  Select("Device Info");
  QTest::mouseClick(window_->Pages()->PageForCode(7)->findChild<QPushButton *>("SaveLocal"), Qt::LeftButton);
  EXPECT_NE(ConfigText().find("[DEVICE_INFO]"), std::string::npos);
  EXPECT_NE(ConfigText().find("username = alice\r\n"), std::string::npos);
  ShowPage();
  EXPECT_EQ(FieldText("Username"), "alice");
}

TEST_F(VirtualSerialTest, MissingPasswordKeyIsAppended) {
  const std::string file = "[iotInfo]\r\nusername = u\r\nproductKey = k\r\nproductSecret = s\r\n";
  WriteConfig(file);
  ShowPage();
  EXPECT_EQ(ConfigText(), file + "\r\npassword = Please enter device platform password\r\n");
  EXPECT_EQ(FieldText("Username"), "u");
  EXPECT_EQ(FieldText("Password"), "");
  EXPECT_EQ(Tool()->FieldText(VirtualSerialTool::kPassword), "") << "a prompt is never sent as the password";
}

TEST_F(VirtualSerialTest, ChangedFieldsRewriteOnlyTheirKeyLines) {
  const std::string before =
      "[UART]\r\nbaud=9600\r\n\r\n[iotInfo]\r\n; account\r\nusername = u\r\npassword = p\r\n"
      "extra = keep\r\nproductKey = k\r\nproductSecret = s\r\n[MQTT]\r\nServer=x\r\n";
  WriteConfig(before);
  ShowPage();
  Type("ProductKey", "pk-2");
  Type("Password", "secret word");
  Click("RefreshDevices");
  std::string after = before;
  after.replace(after.find("password = p"), 12, "password = secret word");
  after.replace(after.find("productKey = k"), 14, "productKey = pk-2");
  EXPECT_EQ(ConfigText(), after);
  // Refresh without a login says why nothing was listed.
  EXPECT_TRUE(LogText().contains("Not Login!"));
}

TEST_F(VirtualSerialTest, LanguageSwitchRelabelsPromptsButNotValues) {
  WriteConfig(std::string("[iotInfo]\r\nusername = bob\r\n") + (kDefaultSection + 29));
  ShowPage();
  Type("ProductKey", "typed-key");
  window_->SetLanguage(0);
  window_->SetLanguage(1);
  window_->SetLanguage(0);
  EXPECT_EQ(FieldText("Username"), "bob");
  EXPECT_EQ(FieldText("ProductKey"), "typed-key") << "what was typed survives a language switch";
  EXPECT_EQ(FieldText("Password"), "");
  EXPECT_EQ(Find<QLineEdit>("Password")->placeholderText(), QString::fromUtf8("请输入设备云平台密码"));
  EXPECT_EQ(Find<QPushButton>("Login")->text(), QString::fromUtf8("登录"));
  EXPECT_EQ(Find<QTreeWidget>("DeviceTree")->topLevelItem(0)->text(0), QString::fromUtf8("设备列表"));
}

TEST_F(VirtualSerialTest, TickingADeviceFillsDeviceId) {
  ShowPage();
  Tool()->iotInfoUpdate({"860000000000001", "860000000000002"});
  QTreeWidgetItem *root = Find<QTreeWidget>("DeviceTree")->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 2);
  EXPECT_EQ(root->checkState(0), Qt::Checked);
  root->child(1)->setCheckState(0, Qt::Checked);
  EXPECT_EQ(FieldText("DeviceId"), "860000000000002");
  root->child(0)->setCheckState(0, Qt::Checked);
  root->child(0)->setCheckState(0, Qt::Unchecked);  // clearing a tick changes nothing
  EXPECT_EQ(FieldText("DeviceId"), "860000000000001");
}

TEST_F(VirtualSerialTest, LogKeepsTheNewestLines) {
  ShowPage();
  const int extra = 5;
  for (size_t i = 0; i < VirtualSerialLog::kLinesKept + extra; ++i) Tool()->AppendLog("line " + std::to_string(i));
  auto *log = Find<ReceiveLogView>("ExchangeLog");
  EXPECT_EQ(static_cast<size_t>(log->LineCount()), VirtualSerialLog::kLinesKept);
  EXPECT_TRUE(log->Text().section('\n', 0, 0).endsWith(QString(" line %1").arg(extra)));
  EXPECT_EQ(Tool()->Log().Lines().size(), VirtualSerialLog::kLinesKept);
}

struct LogLineCase {
  const char *name;
  std::string message;
  std::string data;
  bool with_data;
  std::string expected;
};
void PrintTo(const LogLineCase &c, std::ostream *os) { *os << c.name; }

class VirtualSerialLogLineTest : public ::testing::TestWithParam<LogLineCase> {};

TEST_P(VirtualSerialLogLineTest, ReadsAsThePageWritesIt) {
  const LogLineCase &c = GetParam();
  std::tm time{};
  time.tm_hour = 9;
  time.tm_min = 5;
  time.tm_sec = 7;
  EXPECT_EQ(VirtualSerialLogLine(time, 42, c.message, c.with_data ? c.data.data() : nullptr,
                                 static_cast<int>(c.data.size())),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VirtualSerialLogLineTest,
    ::testing::Values(
        LogLineCase{"SendOfAT", "[Local Tx]# AT.", "AT", true, "[09:05:07.042] [Local Tx]# AT.AT  |  HEX: 41 54 \r\n"},
        LogLineCase{"Unprintable", "x", std::string("\0\x7f~ ", 4), true, "[09:05:07.042] x..~   |  HEX: 00 7F 7E 20 \r\n"},
        LogLineCase{"NoData", "Connect success", "", false, "[09:05:07.042] Connect success\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
