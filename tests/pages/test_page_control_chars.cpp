// A value holding a control character is refused wherever a page takes a
// text, with the field named: it would otherwise reach the wire as a second
// command line.
#include <gtest/gtest.h>

#include "base/dtu_lang.h"
#include "pages/dtu_page_runner.h"

namespace {

struct FieldCase {
  const char *page;
  const char *field;
};

class PageControlCharacters : public ::testing::TestWithParam<FieldCase> {};

TEST_P(PageControlCharacters, SetFieldRefusesAndKeepsTheValue) {
  DtuLangFlag = 1;
  std::unique_ptr<DtuPage> page = DtuCreatePage(GetParam().page);
  ASSERT_NE(page, nullptr);
  std::string error;
  ASSERT_TRUE(page->SetField(GetParam().field, "kept", error)) << error;
  for (const char *value : {"evil\r\nAT&F", "evil\rAT&F", "a\tb", "a\x1b[2J", "a\x7f"}) {
    EXPECT_FALSE(page->SetField(GetParam().field, value, error));
    EXPECT_EQ(error, std::string(GetParam().field) + " holds a control character (such as CR or LF) and was not taken.");
  }
  std::string now;
  ASSERT_TRUE(page->GetField(GetParam().field, now));
  EXPECT_EQ(now, "kept");
}

INSTANTIATE_TEST_SUITE_P(Fields, PageControlCharacters,
                         ::testing::Values(FieldCase{"mqtt", "Server"}, FieldCase{"mqtt", "Password"},
                                           FieldCase{"tcpudp", "TcpServer"}, FieldCase{"aliyun", "DeviceSecret"},
                                           FieldCase{"net", "APN"}, FieldCase{"modbus", "tag11"},
                                           FieldCase{"modbus", "slave1"}, FieldCase{"modbuscache", "slave1"},
                                           FieldCase{"dlt645", "addr1"}));

}  // namespace
