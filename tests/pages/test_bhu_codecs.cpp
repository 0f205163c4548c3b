// The business packet formats: hexadecimal normalisation, the field editor,
// the field layout and the packet payload, with the device's examples.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/bhu/dtu_bhu_packet.h"

namespace {

using Id = DtuTextId;
constexpr Id kPass = static_cast<Id>(-1);

Id FaultOf(const DtuBhuCheck &check) { return check ? check->text : kPass; }

struct HexCase {
  std::string typed;
  Id fault;
  std::string normalised;
};

class BhuHex : public ::testing::TestWithParam<HexCase> {};

TEST_P(BhuHex, Normalises) {
  std::string out;
  EXPECT_EQ(FaultOf(DtuBhuNormaliseHex(GetParam().typed, out)), GetParam().fault);
  if (GetParam().fault == kPass) {
    EXPECT_EQ(out, GetParam().normalised);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BhuHex,
    ::testing::Values(HexCase{"0x01 0x02 ${IMEI} aa", kPass, "0102${IMEI}AA"},
                      HexCase{"0X0a\t0b\r\n", kPass, "0A0B"}, HexCase{"${RSSI}", kPass, "${RSSI}"},
                      HexCase{"", Id::kBhuHexEmpty, ""}, HexCase{" \t 0x ", Id::kBhuHexEmpty, ""},
                      HexCase{"010", Id::kBhuHexOddLength, ""}, HexCase{"0${IMEI}1", Id::kBhuHexOddLength, ""},
                      HexCase{"01 zz", Id::kBhuHexInvalidChars, ""}, HexCase{"01${IMEI", Id::kBhuHexInvalidChars, ""},
                      HexCase{std::string(1024, 'a'), kPass, std::string(1024, 'A')},
                      HexCase{std::string(1026, 'a'), Id::kBhuHexTooLong, ""}));

TEST(BhuHexDisplay, BytesAsPairsWildcardsAsText) {
  EXPECT_EQ(DtuBhuHexDisplay(std::string("\x01\x02${IMEI}\xAA", 10)), "0102${IMEI}AA");
  EXPECT_EQ(DtuBhuHexDisplay(std::string("${x", 3)), "247B78");  // no closing brace: plain bytes
}

struct FieldsCase {
  const char *name;
  std::vector<DtuBhuField> fields;
  Id fault;
  int field;  // the field the fault names
  std::string content;
  std::string layout;
};

void PrintTo(const FieldsCase &c, std::ostream *out) { *out << c.name; }

class BhuFields : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(BhuFields, ComposeThenLayout) {
  const FieldsCase &c = GetParam();
  std::string content, layout;
  DtuBhuCheck fault = DtuBhuComposeFields(c.fields, content);
  if (!fault) fault = DtuBhuBuildLayout(c.fields, layout);
  EXPECT_EQ(FaultOf(fault), c.fault);
  if (fault) {
    EXPECT_EQ(fault->field, c.field);
    return;
  }
  EXPECT_EQ(content, c.content);
  EXPECT_EQ(layout, c.layout);
}

constexpr int kHex = 0, kStr = 1, kParam = 2, kBe = 3, kLe = 4;

INSTANTIATE_TEST_SUITE_P(
    Cases, BhuFields,
    ::testing::Values(
        FieldsCase{"DeviceExample",
                   {{kHex, "0102"}, {kStr, "AB"}, {kLe, "0102"}},
                   kPass,
                   0,
                   "01024142${CRC16}",
                   "11000103010201020000000000000202AB0000000000000005040102000000000000"},
        FieldsCase{"NoCrcBigEndianZeros",
                   {{kParam, " ${IMEI} "}, {kHex, "ff"}},
                   kPass,
                   0,
                   "${IMEI}ff",
                   "00000002" "0307${IMEI}000000000" "0101ff00000000000000"},
        FieldsCase{"BigEndianCrc", {{kHex, "01"}, {kBe, "0101"}}, kPass, 0, "01${CRC16}",
                   "10000002" "01010100000000000000" "04040101000000000000"},
        FieldsCase{"HexEmpty", {{kHex, "01"}, {kHex, " "}}, Id::kBhuFieldHexEmpty, 2, "", ""},
        FieldsCase{"HexOdd", {{kHex, "012"}}, Id::kBhuFieldHexOddLength, 1, "", ""},
        FieldsCase{"HexInvalid", {{kHex, "0x"}}, Id::kBhuFieldHexInvalid, 1, "", ""},
        FieldsCase{"StringEmpty", {{kStr, ""}}, Id::kBhuFieldStringEmpty, 1, "", ""},
        FieldsCase{"ParamFormat", {{kParam, "IMEI"}}, Id::kBhuFieldParamFormat, 1, "", ""},
        FieldsCase{"ParamTooShort", {{kParam, "${"}}, Id::kBhuFieldParamFormat, 1, "", ""},
        FieldsCase{"TypeUnknown", {{kHex, "01"}, {-1, "01"}}, Id::kBhuFieldTypeUnknown, 2, "", ""},
        FieldsCase{"RangeNotFourDigits", {{kHex, "01"}, {kLe, "101"}}, Id::kBhuCrcRangeDigits, 2, "", ""},
        FieldsCase{"RangeNotDecimal", {{kHex, "01"}, {kLe, "01a1"}}, Id::kBhuCrcRangeChars, 2, "", ""},
        FieldsCase{"RangeOutside", {{kHex, "01"}, {kLe, "0003"}}, Id::kBhuCrcRangeStart, 2, "", ""},
        FieldsCase{"RangeBackwards", {{kHex, "01"}, {kHex, "02"}, {kLe, "0201"}}, Id::kBhuCrcRangeOrder, 3, "", ""},
        FieldsCase{"RangeCoversCrc", {{kHex, "01"}, {kLe, "0102"}}, Id::kBhuCrcRangeBeyond, 2, "", ""},
        FieldsCase{"ValueOver16", {{kStr, "ABCDEFGHIJKLMNOPQ"}}, Id::kBhuFieldTooLong, 1, "", ""}),
    [](const ::testing::TestParamInfo<FieldsCase> &info) { return std::string(info.param.name); });

TEST(BhuLayoutParse, RestoresValuesByTheirLength) {
  DtuBhuLayout layout = DtuBhuParseLayout("0000000101020A00000000000000000000");
  ASSERT_EQ(layout.count, 1);
  ASSERT_EQ(layout.fields.size(), 1u);
  EXPECT_EQ(layout.fields[0].type, kHex);
  EXPECT_EQ(layout.fields[0].value, "0A00");

  layout = DtuBhuParseLayout("0100000201020A000000000000000902AB0000000000000005040102000000000000");
  EXPECT_EQ(layout.count, 2);  // two records only though the layout names three types
  ASSERT_EQ(layout.fields.size(), 2u);
  EXPECT_EQ(layout.fields[0].value, "0A00");
  EXPECT_EQ(layout.fields[1].type, -1);  // code 09 is no type
  EXPECT_EQ(DtuBhuParseLayout("0000000001").count, 0);
  EXPECT_EQ(DtuBhuParseLayout("000000").count, 0);

  layout = DtuBhuParseLayout("11000103010201020000000000000202AB0000000000000005040102000000000000");
  ASSERT_EQ(layout.fields.size(), 3u);
  EXPECT_EQ(layout.fields[1].value, "AB");
  EXPECT_EQ(layout.fields[2].type, kLe);
  EXPECT_EQ(layout.fields[2].value, "0102");
}

TEST(BhuLayoutParse, DeviceExampleRestoresA000) {
  DtuBhuLayout layout = DtuBhuParseLayout("000000010102A000000000000000");
  ASSERT_EQ(layout.fields.size(), 1u);
  EXPECT_EQ(layout.fields[0].value, "A000");
}

struct PrepareCase {
  const char *name;
  DtuBhuPacketType type;
  int data_type;
  std::string box;
  Id fault;
  int number;
  std::string content;
};

void PrintTo(const PrepareCase &c, std::ostream *out) { *out << c.name; }

class BhuPrepare : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(BhuPrepare, ContentOrFault) {
  const PrepareCase &c = GetParam();
  std::string content;
  DtuBhuCheck fault = DtuBhuPrepareContent(c.type, c.data_type, c.box, {}, content);
  EXPECT_EQ(FaultOf(fault), c.fault);
  if (fault) {
    EXPECT_EQ(fault->number, c.number);
  } else {
    EXPECT_EQ(content, c.content);
  }
}

using T = DtuBhuPacketType;

INSTANTIATE_TEST_SUITE_P(
    Cases, BhuPrepare,
    ::testing::Values(
        PrepareCase{"TextTrimmed", T::kLogin, 0, "  hello ", kPass, 0, "hello"},
        PrepareCase{"Data1024Passes", T::kData, 0, std::string(1024, 'd'), kPass, 0, std::string(1024, 'd')},
        PrepareCase{"Data1025Fails", T::kData, 0, std::string(1025, 'd'), Id::kBhuPacketTooLong, 1024, ""},
        PrepareCase{"Heart257Fails", T::kHeart, 0, std::string(257, 'h'), Id::kBhuPacketTooLong, 256, ""},
        PrepareCase{"Utf8CountsBytes", T::kLogin, 0, std::string(250, 'x') + "中中中",
                    Id::kBhuPacketTooLong, 256, ""},
        PrepareCase{"HexNormalised", T::kHeader, 1, "0x01 0x02 ${IMEI} aa", kPass, 0, "0102${IMEI}AA"},
        PrepareCase{"DecEscapeRefused", T::kData, 0, "a[dec]b", Id::kBhuContentReserved, 0, ""},
        PrepareCase{"CommaEscapeRefused", T::kData, 0, "a[comma]b", Id::kBhuContentReserved, 0, ""},
        PrepareCase{"LineBreakRefused", T::kLogin, 0, "a\r\nb", Id::kBhuContentReserved, 0, ""},
        PrepareCase{"BarsAndCommasPass", T::kLogin, 0, "a|b,c", kPass, 0, "a|b,c"}),
    [](const ::testing::TestParamInfo<PrepareCase> &info) { return std::string(info.param.name); });

TEST(BhuPeriod, WholeSecondsUpTo99999999) {
  struct Case {
    std::string text;
    Id fault;
    long period;
  } cases[] = {{"60", kPass, 60},  {" 99999999 ", kPass, 99999999}, {"0", Id::kBhuCycleNegative, 0},
               {"", Id::kBhuCycleNegative, 0}, {"-5", Id::kBhuCycleNegative, 0}, {"12s", Id::kBhuCycleNegative, 0},
               {"100000000", Id::kBhuCycleTooLarge, 0}, {"0000000100000000", Id::kBhuCycleTooLarge, 0}};
  for (const Case &c : cases) {
    long period = 0;
    EXPECT_EQ(FaultOf(DtuBhuParsePeriod(c.text, period)), c.fault) << c.text;
    if (c.fault == kPass) {
      EXPECT_EQ(period, c.period) << c.text;
    }
  }
}

TEST(BhuPayload, BuildsByPacketType) {
  EXPECT_EQ(DtuBhuBuildPayload(T::kLogin, 1, 0, "0102${IMEI}AA"), "1100130102${IMEI}AA");
  EXPECT_EQ(DtuBhuBuildPayload(T::kHeart, 0, 60, "hi"), "10000000600002hi");
  EXPECT_EQ(DtuBhuBuildPayload(T::kData, 2, 99999999, "01${CRC16}"), "12999999990010" "01${CRC16}");
  EXPECT_EQ(DtuBhuBuildPayload(T::kHeader, 0, 0, "\xe4\xb8\xad"), "100003\xe4\xb8\xad");
}

struct AnswerCase {
  const char *name;
  DtuBhuPacketType type;
  std::string value;
  DtuBhuAnswer expected;
};

void PrintTo(const AnswerCase &c, std::ostream *out) { *out << c.name; }

class BhuAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(BhuAnswer, Parses) {
  const DtuBhuAnswer a = DtuBhuParseAnswer(GetParam().type, GetParam().value);
  const DtuBhuAnswer &e = GetParam().expected;
  EXPECT_EQ(a.on, e.on);
  EXPECT_EQ(a.data_type, e.data_type);
  EXPECT_EQ(a.period, e.period);
  EXPECT_EQ(a.length, e.length);
  EXPECT_EQ(a.content, e.content);
  EXPECT_EQ(a.incomplete, e.incomplete);
  EXPECT_EQ(a.readable, e.readable);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BhuAnswer,
    ::testing::Values(
        AnswerCase{"LoginText", T::kLogin, "100005hello", {true, 0, 0, 5, "hello", false, true}},
        AnswerCase{"HeartHexBytes", T::kHeart, "11000000300003" + std::string("\x01\xAB\x7F", 3),
                   {true, 1, 30, 3, "01AB7F", false, true}},
        AnswerCase{"DataFieldsAsText", T::kData, "02000000100010" "01${CRC16}", {false, 2, 10, 10, "01${CRC16}", false, true}},
        AnswerCase{"HexLostItsTrailingBlank", T::kLogin, "110003" + std::string("\x01\x02", 2),
                   {true, 1, 0, 3, "", true, true}},
        AnswerCase{"LengthZeroIsEmpty", T::kHeader, "100000", {true, 0, 0, 0, "", false, true}},
        AnswerCase{"LengthOver1024IsEmpty", T::kData, "10000000011025x", {true, 0, 1, 1025, "", false, true}},
        AnswerCase{"OtherTypeDigitIsHex", T::kLogin, "1700020102", {true, 1, 0, 2, "3031", false, true}},
        AnswerCase{"SwitchedOffOnly", T::kHeart, "0", {false, 0, 0, 0, "", false, true}},
        AnswerCase{"LongerThanLengthKeepsLength", T::kLogin, "100002abcd", {true, 0, 0, 2, "ab", false, true}},
        // Values that are no packet answer: never read as a switched-off packet.
        AnswerCase{"EmptyIsNotRead", T::kLogin, "", {false, 0, 0, 0, "", false, false}},
        AnswerCase{"WordIsNotRead", T::kLogin, "junk", {false, 0, 0, 0, "", false, false}},
        AnswerCase{"HugeNumberIsNotRead", T::kLogin, std::string(40, '9'), {false, 0, 0, 0, "", false, false}},
        AnswerCase{"HeadCutShortIsNotRead", T::kHeart, "1100000030", {false, 0, 0, 0, "", false, false}},
        AnswerCase{"LettersInTheLengthAreNotRead", T::kLogin, "10x005hello", {false, 0, 0, 0, "", false, false}}),
    [](const ::testing::TestParamInfo<AnswerCase> &info) { return std::string(info.param.name); });

TEST(BhuLine, MustFitTheSlotWhole) {
  const std::string head = "AT+ZEVCFG=set|bhu-data|";
  EXPECT_TRUE(DtuBhuLineFitsSlot(head + std::string(1024, 'a') + "\r\n"));
  // 1024 "|" escape to 5120 bytes: the line would be cut and lose its CR LF.
  EXPECT_FALSE(DtuBhuLineFitsSlot(head + std::string(1024, '|') + "\r\n"));
  // Commas after a '|' escape to seven bytes each; near the limit they would go plain.
  EXPECT_FALSE(DtuBhuLineFitsSlot(head + "|" + std::string(300, ',') + "\r\n"));
  EXPECT_TRUE(DtuBhuLineFitsSlot(head + "|" + std::string(280, ',') + "\r\n"));
}

}  // namespace
