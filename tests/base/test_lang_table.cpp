// The shape of the text table: a repeated id would hide its second row, and an
// empty column would leave a label blank in one language.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/dtu_lang.h"

TEST(TextTableShape, IdsAreUniqueBothColumnsFilledAndTheGapsStayAbsent) {
  std::set<int> seen;
  for (int i = 0; i < kDtuLangTableSize; ++i) {
    const DtuLangRow &row = kDtuLangTable[i];
    EXPECT_TRUE(seen.insert(row.id).second) << "id " << row.id << " appears twice";
    EXPECT_NE(std::string(row.chinese), "") << "id " << row.id;
    EXPECT_NE(std::string(row.english), "") << "id " << row.id;
    EXPECT_GE(row.id, 0);
  }
  EXPECT_EQ(seen.count(228), 0u);
  EXPECT_EQ(seen.count(229), 0u);
}

TEST(TextTableShape, QuotedTextsCarryTheirIdsInBothLanguages) {
  struct Expect {
    int id;
    const char *chinese;
    const char *english;
  };
  const Expect cases[] = {
      {1, "DTU配置", "DTU Config"},         {3, "配置串口", "Config Port"},
      {17, "远程串口", "Virtual Serial"},   {19, "打开串口", "Open Port"},
      {20, "关闭串口", "Close Port"},       {27, "发送命令", "Send Command"},
      {141, "配置成功", "Configuration succeeded"},
      {161, "网络信息配置成功", "Network configuration succeeded"},
  };
  int saved = DtuLangFlag;
  for (const Expect &c : cases) {
    DtuLangFlag = 1;
    EXPECT_STREQ(DtuLangText(c.id), c.english);
    DtuLangFlag = 0;
    EXPECT_STREQ(DtuLangText(c.id), c.chinese);
  }
  DtuLangFlag = saved;
}

// Every name stands for a row that has both languages, and every row has a
// name: code never needs a bare number.
struct NamedText {
  const char *name;
  int id;
};

// Test names and failures show the name, not the bytes of the struct.
void PrintTo(const NamedText &text, std::ostream *out) { *out << text.name << " = " << text.id; }

class NamedTextId : public ::testing::TestWithParam<NamedText> {};

#define DTU_NAMED_TEXT(name, id) NamedText{#name, id},
const NamedText kNamedTexts[] = {DTU_TEXT_IDS(DTU_NAMED_TEXT)};
#undef DTU_NAMED_TEXT

TEST_P(NamedTextId, HasARowInBothLanguages) {
  const NamedText named = GetParam();
  const DtuLangRow *found = nullptr;
  for (int i = 0; i < kDtuLangTableSize && found == nullptr; ++i) {
    if (kDtuLangTable[i].id == named.id) found = &kDtuLangTable[i];
  }
  ASSERT_NE(found, nullptr) << named.name << " = " << named.id << " has no row";
  EXPECT_STRNE(found->chinese, "");
  EXPECT_STRNE(found->english, "");
  EXPECT_STREQ(DtuLangText(static_cast<DtuTextId>(named.id)), found->english);
}

INSTANTIATE_TEST_SUITE_P(EveryName, NamedTextId, ::testing::ValuesIn(kNamedTexts),
                         [](const ::testing::TestParamInfo<NamedText> &info) { return std::string(info.param.name); });

TEST(TextTableShape, EveryRowHasAName) {
  std::set<int> named;
  for (const NamedText &text : kNamedTexts) {
    EXPECT_TRUE(named.insert(text.id).second) << text.name << " repeats id " << text.id;
  }
  for (int i = 0; i < kDtuLangTableSize; ++i) {
    EXPECT_EQ(named.count(kDtuLangTable[i].id), 1u) << "row " << kDtuLangTable[i].id << " has no name";
  }
}
