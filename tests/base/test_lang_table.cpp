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
