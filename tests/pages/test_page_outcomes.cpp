// What a page's Read or Set tells the user when something goes wrong, and
// that an empty value still counts as an answer: the real command port on a
// pseudo-terminal, dtu-sim on the other end.
#include <string>
#include <vector>

#include "pages/dtu_page_runner.h"
#include "sim/dtu_sim.h"
#include "tests/pages/wire_fixture.h"

namespace {

class PageOutcome : public PageWireTest {
 protected:
  std::string Field(DtuPage &page, const char *name) {
    std::string value;
    EXPECT_TRUE(page.GetField(name, value)) << name;
    return value;
  }
};

struct EmptyCase {
  const char *page;
  const char *field;
  const char *key;
  const char *other_field;  // set so that the page sends what it must (TCP: the custom type)
  const char *other_value;
};

class EmptyConfirmingValue : public PageOutcome, public ::testing::WithParamInterface<EmptyCase> {};

}  // namespace

// The confirming key sent empty is answered "key : " and cleaned to "key :":
// the Set is confirmed and a Read empties the field.
TEST_P(EmptyConfirmingValue, ConfirmsTheSetAndEmptiesTheFieldOnRead) {
  const EmptyCase &c = GetParam();
  std::unique_ptr<DtuPage> page = DtuCreatePage(c.page);
  ASSERT_EQ(DtuPageRunRead(*page, 10000), DtuPageRun::kDone);
  std::string error;
  ASSERT_TRUE(page->SetField(c.other_field, c.other_value, error)) << error;
  ASSERT_TRUE(page->SetField(c.field, "", error));
  ASSERT_EQ(DtuPageRunSet(*page, 10000), DtuPageRun::kDone);
  EXPECT_EQ(messages_, std::vector<std::string>{"Configuration succeeded"});
  EXPECT_EQ(DeviceValue(c.key), "");

  ASSERT_TRUE(page->SetField(c.field, "stale", error));
  messages_.clear();
  ASSERT_EQ(DtuPageRunRead(*page, 10000), DtuPageRun::kDone);
  EXPECT_EQ(Field(*page, c.field), "");
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(Pages, EmptyConfirmingValue,
                         ::testing::Values(EmptyCase{"mqtt", "PubTopic", "mqtt-pubtopic", "Server", "b"},
                                           EmptyCase{"onenet", "AccessKey", "onenet-mqtt-accesskey", "Server", "b"}),
                         [](const ::testing::TestParamInfo<EmptyCase> &info) { return std::string(info.param.page); });

// A refused line fails the Read: the field keeps what it held, is marked, and
// the message names it; the other fields got their answers.
TEST_F(PageOutcome, RefusedReadLineKeepsItsFieldAndNamesIt) {
  std::unique_ptr<DtuPage> page = DtuCreatePage("devinfo");
  std::string error;
  ASSERT_TRUE(page->SetField("IMEI", "862100000000001", error));
  FailKey("imei");
  EXPECT_EQ(DtuPageRunRead(*page, 10000), DtuPageRun::kDeviceError);
  EXPECT_EQ(messages_, std::vector<std::string>{"The device refused IMEI (ERROR)"});
  EXPECT_EQ(Field(*page, "IMEI"), "862100000000001");
  EXPECT_EQ(page->MarkedFields(), std::vector<std::string>{"IMEI"});
  EXPECT_EQ(Field(*page, "Version"), DeviceValue("version"));
  EXPECT_FALSE(page->ReadPending());
}

// A silent device fails the Set after the 5 s fallback: no success message.
TEST_F(PageOutcome, SilentDeviceFailsTheSetNamingTheField) {
  std::unique_ptr<DtuPage> page = DtuCreatePage("workmode");
  std::string error;
  ASSERT_TRUE(page->SetField("WorkMode", "2", error));
  DtuSimOptions silent = Sim().Options();
  silent.silent_every = 1;
  Sim().SetOptions(silent);
  EXPECT_EQ(DtuPageRunSet(*page, 10000), DtuPageRun::kTimedOut);
  EXPECT_EQ(messages_, std::vector<std::string>{"No answer from the device for WorkMode"});
  EXPECT_FALSE(page->SetPending());
  EXPECT_EQ(page->MarkedFields(), std::vector<std::string>{"WorkMode"});
}

// The port lost in the middle of a Read ends it at once, with a failure
// naming the fields that got no answer.
TEST_F(PageOutcome, PortLostInTheMiddleOfAReadEndsItWithAFailure) {
  DtuSimOptions options = Sim().Options();
  options.unplug_after = 2;
  Sim().SetOptions(options);
  std::unique_ptr<DtuPage> page = DtuCreatePage("devinfo");
  EXPECT_EQ(DtuPageRunRead(*page, 10000), DtuPageRun::kPortClosed);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_[0].rfind("The port closed before ", 0), 0u) << messages_[0];
  EXPECT_NE(messages_[0].find("ICCID"), std::string::npos) << messages_[0];
  EXPECT_NE(messages_[0].find("WatchDogSwitch was answered"), std::string::npos) << messages_[0];
  EXPECT_EQ(page->RunningAction(), DtuPageAction::Kind::kNone);
}

namespace {

// A value the device cannot take as typed: refused before anything is sent,
// with one message naming the field.
struct TypedCase {
  const char *name;
  const char *page;
  std::vector<std::string> fields;  // name=value, as on varnokctl's command line
  const char *message;
};

class TypedValueRefused : public PageOutcome, public ::testing::WithParamInterface<TypedCase> {};

}  // namespace

TEST_P(TypedValueRefused, NothingIsSentAndTheMessageNamesTheField) {
  const TypedCase &c = GetParam();
  std::unique_ptr<DtuPage> page = DtuCreatePage(c.page);
  ASSERT_EQ(DtuPageRunRead(*page, 10000), DtuPageRun::kDone);
  const size_t read_lines = Lines().size();
  std::string error;
  for (const std::string &field : c.fields) {
    const size_t eq = field.find('=');
    ASSERT_TRUE(page->SetField(field.substr(0, eq), field.substr(eq + 1), error)) << error;
  }
  EXPECT_EQ(DtuPageRunSet(*page, 2000), DtuPageRun::kRefused);
  EXPECT_EQ(messages_, std::vector<std::string>{c.message});
  EXPECT_EQ(Lines().size(), read_lines) << Lines().back();
}

INSTANTIATE_TEST_SUITE_P(
    Values, TypedValueRefused,
    ::testing::Values(
        TypedCase{"PortLetters", "mqtt", {"Port=abc"}, "Port must be a whole number from 1 to 65535."},
        TypedCase{"PortNegative", "mqtt", {"Port=-1"}, "Port must be a whole number from 1 to 65535."},
        TypedCase{"PortBeyondLongLong", "aliyun", {"Port=99999999999999999999"},
                  "Port must be a whole number from 1 to 65535."},
        TypedCase{"QosSeven", "mqtt", {"Qos=7"}, "Qos must be a whole number from 0 to 2."},
        TypedCase{"TcpPortOver16Bits", "tcpudp", {"TcpPort=99999"},
                  "TCP Server Port must be a whole number from 1 to 65535."},
        TypedCase{"EscapeWordInPassword", "mqtt", {"Password=x[dec]y[comma]z"},
                  "Password may not hold [dec] or [comma] (the device would store them as | and ,)."},
        TypedCase{"EscapeWordInApn", "net", {"DialType=1", "APN=a[comma]b"},
                  "APN may not hold [dec] or [comma] (the device would store them as | and ,)."}),
    [](const ::testing::TestParamInfo<TypedCase> &info) { return std::string(info.param.name); });
