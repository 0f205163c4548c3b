// Text fields of fixed capacity: where an over-long text is cut.
#include <gtest/gtest.h>

#include <string>

#include "config/dtu_fixed_text.h"

TEST(FixedText, CutsAtTheCapacityOnACharacterBoundary) {
  struct Case {
    const char *name;
    std::string text;
    std::size_t capacity;
    std::size_t kept;
  };
  const Case cases[] = {
      {"fits", "abc", 3, 3},
      {"plain bytes", "abcd", 2, 2},
      {"two-byte character straddles", "a\xC3\xA9", 2, 1},
      {"two-byte character fits", "a\xC3\xA9z", 3, 3},
      {"three-byte character straddles", "ab\xE4\xB8\xAD", 4, 2},
      {"four-byte character straddles", "\xF0\x9F\x98\x80", 3, 0},
      {"continuation bytes only", "\x80\x80\x80\x80\x80\x80", 5, 5},
      {"zero capacity", "abc", 0, 0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(DtuUtf8CutLength(c.text.data(), c.text.size(), c.capacity), c.kept) << c.name;
  }
}

TEST(FixedText, AssignCompareAndConvert) {
  DtuFixedText<4> field;
  EXPECT_TRUE(field.empty());
  EXPECT_FALSE(field.Assign("abcdef", 6));
  EXPECT_EQ(field.str(), "abcd");
  EXPECT_TRUE(field == "abcd");
  EXPECT_TRUE(field != std::string("abc"));
  field = std::string("x\0y", 3);  // bytes are kept as given
  EXPECT_EQ(field.size(), 3u);
  field = nullptr;
  EXPECT_TRUE(field.empty());
  DtuFixedText<8> wider = "12345678";
  field = wider;  // between capacities, through the text
  EXPECT_EQ(std::string(field), "1234");
}
