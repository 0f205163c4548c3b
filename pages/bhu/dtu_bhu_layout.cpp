#include "pages/bhu/dtu_bhu_layout.h"

#include "pages/kit/dtu_typed_number.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

DtuBhuFault FieldFault(DtuTextId text, int number) { return DtuBhuFault{text, number, number}; }
DtuBhuFault RangeFault(DtuTextId text, int field) { return DtuBhuFault{text, 0, field}; }

bool AllHex(const std::string &text) {
  for (char c : text) {
    if (!DtuBhuIsHexDigit(c)) return false;
  }
  return true;
}

bool AllDecimal(const std::string &text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string HexBytes(const std::string &text) {
  std::string out;
  char pair[3];
  for (unsigned char c : text) {
    std::snprintf(pair, sizeof(pair), "%02X", c);
    out += pair;
  }
  return out;
}

DtuBhuCheck ComposeOne(const DtuBhuField &field, int number, std::string &content) {
  const std::string value = DtuBhuTrim(field.value);
  switch (static_cast<DtuBhuFieldType>(field.type)) {
    case DtuBhuFieldType::kFixedHex:
      if (value.empty()) return FieldFault(DtuTextId::kBhuFieldHexEmpty, number);
      if (value.size() % 2 != 0) return FieldFault(DtuTextId::kBhuFieldHexOddLength, number);
      if (!AllHex(value)) return FieldFault(DtuTextId::kBhuFieldHexInvalid, number);
      content += value;
      return std::nullopt;
    case DtuBhuFieldType::kFixedString:
      if (value.empty()) return FieldFault(DtuTextId::kBhuFieldStringEmpty, number);
      content += HexBytes(value);
      return std::nullopt;
    case DtuBhuFieldType::kDeviceParam:
      if (value.size() <= 2 || value.compare(0, 2, "${") != 0 || value.back() != '}') {
        return FieldFault(DtuTextId::kBhuFieldParamFormat, number);
      }
      content += value;
      return std::nullopt;
    case DtuBhuFieldType::kCrc16Be:
    case DtuBhuFieldType::kCrc16Le:
      content += "${CRC16}";
      return std::nullopt;
  }
  return FieldFault(DtuTextId::kBhuFieldTypeUnknown, number);
}

struct CrcRange {
  bool present = false;
  int order = 0;  // 0 big-endian, 1 little-endian
  int first = 0;  // fields counted from 0
  int last = 0;
};

DtuBhuCheck FindCrcRange(const std::vector<DtuBhuField> &fields, CrcRange &range) {
  const int count = static_cast<int>(fields.size());
  for (int i = 0; i < count; ++i) {
    if (!DtuBhuIsCrcField(fields[i].type)) continue;
    const int number = i + 1;
    const std::string value = DtuBhuTrim(fields[i].value);
    if (value.size() != 4) return RangeFault(DtuTextId::kBhuCrcRangeDigits, number);
    if (!AllDecimal(value)) return RangeFault(DtuTextId::kBhuCrcRangeChars, number);
    const int start = std::atoi(value.substr(0, 2).c_str());
    const int end = std::atoi(value.substr(2, 2).c_str());
    if (start < 1 || start > count || end < 1 || end > count) return RangeFault(DtuTextId::kBhuCrcRangeStart, number);
    if (end < start) return RangeFault(DtuTextId::kBhuCrcRangeOrder, number);
    if (end >= number) return RangeFault(DtuTextId::kBhuCrcRangeBeyond, number);
    range = {true, fields[i].type == static_cast<int>(DtuBhuFieldType::kCrc16Le) ? 1 : 0, start - 1, end - 1};
    return std::nullopt;
  }
  return std::nullopt;
}

// Bytes for Fixed HEX, characters for Fixed String and Device Param, 4 for CRC.
int DataLength(int type, const std::string &value) {
  switch (static_cast<DtuBhuFieldType>(type)) {
    case DtuBhuFieldType::kFixedHex: return static_cast<int>(value.size() / 2);
    case DtuBhuFieldType::kCrc16Be:
    case DtuBhuFieldType::kCrc16Le: return 4;
    default: return static_cast<int>(value.size());
  }
}

DtuBhuCheck Record(const DtuBhuField &field, int number, std::string &payload) {
  const std::string value = DtuBhuTrim(field.value);
  if (field.type < 0 || field.type >= kDtuBhuFieldTypes) return RangeFault(DtuTextId::kBhuUnknownFieldType, number);
  if (field.type == static_cast<int>(DtuBhuFieldType::kFixedHex) && !AllHex(value)) {
    return RangeFault(DtuTextId::kBhuFixedHexInvalid, number);
  }
  if (value.size() > static_cast<size_t>(kDtuBhuFieldValueMax)) return RangeFault(DtuTextId::kBhuFieldTooLong, number);
  if (DtuBhuHasReservedText(value)) return RangeFault(DtuTextId::kBhuContentReserved, number);
  char head[5];
  std::snprintf(head, sizeof(head), "%02X%02X", field.type + 1, DataLength(field.type, value));
  payload += head;
  payload += value + std::string(kDtuBhuFieldValueMax - value.size(), '0');
  return std::nullopt;
}

int HexNumber(const std::string &text) {
  if (text.empty() || !AllHex(text)) return -1;
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 16));
}

// Characters of the 16-character data that hold the value.
size_t ValueChars(int type, int length) {
  if (length < 0) return 0;
  size_t chars = static_cast<size_t>(length);
  if (type == static_cast<int>(DtuBhuFieldType::kFixedHex)) chars = 2 * chars;
  if (DtuBhuIsCrcField(type)) chars = 4;
  return chars;
}

}  // namespace

bool DtuBhuIsCrcField(int type) {
  return type == static_cast<int>(DtuBhuFieldType::kCrc16Be) || type == static_cast<int>(DtuBhuFieldType::kCrc16Le);
}

bool DtuBhuHasReservedText(const std::string &text) {
  return text.find_first_of("\r\n") != std::string::npos || DtuTypedHasEscapeWord(text);
}

std::string DtuBhuTrim(const std::string &text) {
  const char *blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) + 1 - first);
}

DtuBhuCheck DtuBhuComposeFields(const std::vector<DtuBhuField> &fields, std::string &content) {
  content.clear();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (DtuBhuCheck fault = ComposeOne(fields[i], static_cast<int>(i) + 1, content)) return fault;
  }
  if (content.empty()) return DtuBhuFault{DtuTextId::kBhuHexEmpty};
  return std::nullopt;
}

DtuBhuCheck DtuBhuBuildLayout(const std::vector<DtuBhuField> &fields, std::string &payload) {
  CrcRange crc;
  if (DtuBhuCheck fault = FindCrcRange(fields, crc)) return fault;
  char head[32];
  std::snprintf(head, sizeof(head), "%01d%01d%02d%02d%02d", crc.present ? 1 : 0, crc.order, crc.first, crc.last,
                static_cast<int>(fields.size()));
  payload = head;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (DtuBhuCheck fault = Record(fields[i], static_cast<int>(i) + 1, payload)) return fault;
  }
  return std::nullopt;
}

DtuBhuLayout DtuBhuParseLayout(const std::string &value) {
  DtuBhuLayout layout;
  if (value.size() < 8 || !AllDecimal(value.substr(6, 2))) return layout;
  const int count = std::atoi(value.substr(6, 2).c_str());
  if (count < 1 || count > kDtuBhuFieldsMax) return layout;
  layout.count = count;
  for (int i = 0; i < count && value.size() >= 28 + 20 * static_cast<size_t>(i); ++i) {
    const size_t at = 8 + 20 * static_cast<size_t>(i);
    const int code = HexNumber(value.substr(at, 2));
    DtuBhuField field;
    field.type = code >= 1 && code <= kDtuBhuFieldTypes ? code - 1 : -1;
    const size_t chars = ValueChars(field.type, HexNumber(value.substr(at + 2, 2)));
    field.value = value.substr(at + 4, std::min(chars, static_cast<size_t>(kDtuBhuFieldValueMax)));
    layout.fields.push_back(field);
  }
  return layout;
}
