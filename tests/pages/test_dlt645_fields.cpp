// The DL/T 645 page's fields by name: varnokctl's order of the file's keys,
// and the view's names, which reach the rule of the configure channel on
// view and convert as the file's keys do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/dlt645/dtu_dlt645.h"

namespace {

TEST(Dlt645Fields, ListedInTheFileOrder) {
  DtuDLT645 page;
  std::vector<std::string> names;
  for (const DtuPageFieldInfo &info : page.Fields()) names.push_back(info.name);
  ASSERT_EQ(names.size(), 375u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 8),
            (std::vector<std::string>{"funcSwitch", "maxChannel", "addr1", "preamble1", "cycle1", "diNum1", "di1_1",
                                      "di1_2"}));
  EXPECT_EQ(std::vector<std::string>(names.begin() + 73, names.begin() + 80),
            (std::vector<std::string>{"di6_8", "configChannel", "rule1", "paramCnt1", "tag1_1", "ruleDi1_1",
                                      "dataType1_1"}));
  EXPECT_EQ(names.back(), "rate6_8");
  std::string value;
  EXPECT_TRUE(page.GetField("Tag1", value));
  EXPECT_EQ(std::find(names.begin(), names.end(), "Tag1"), names.end()) << "the view's names are not listed";
}

struct ViewCase {
  const char *view;
  const char *value;
  const char *file_key;
  const char *file_value;
};

class Dlt645ViewFields : public ::testing::TestWithParam<ViewCase> {};

// With configure channel 2 on view and a Parse rule there, the view's name
// lands where the file's key reads it, through the same conversion.
TEST_P(Dlt645ViewFields, ReachTheFileKeyOfTheRuleOnView) {
  DtuDLT645 page;
  std::string error;
  ASSERT_TRUE(page.SetField("ConfigChannelIndex", "1", error)) << error;
  ASSERT_TRUE(page.SetField("Rule", "1", error)) << error;
  ASSERT_TRUE(page.SetField(GetParam().view, GetParam().value, error)) << error;
  std::string value;
  ASSERT_TRUE(page.GetField(GetParam().file_key, value));
  EXPECT_EQ(value, GetParam().file_value);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Dlt645ViewFields,
    ::testing::Values(ViewCase{"Switch", "1", "funcSwitch", "0"}, ViewCase{"ChannelCount", "2", "maxChannel", "3"},
                      ViewCase{"ConfigChannelIndex", "3", "configChannel", "4"},
                      ViewCase{"Rule", "0", "paramCnt2", "0"}, ViewCase{"ParamCount", "2", "paramCnt2", "3"},
                      ViewCase{"Tag3", "Ux", "tag2_3", "Ux"}, ViewCase{"tag3", "Uy", "tag2_3", "Uy"},
                      ViewCase{"RuleDi3", "02010300", "ruleDi2_3", "02010300"},
                      ViewCase{"DataEndian3", "1", "dataEndian2_3", "1"}, ViewCase{"Rate3", "0", "rate2_3", "1"},
                      ViewCase{"Rate3", "25", "rate2_3", "25"},
                      ViewCase{"DiList2", "00010000, 00020000", "di2_2", "00020000"},
                      ViewCase{"DiList2", "00010000", "di2_2", ""}));

}  // namespace
