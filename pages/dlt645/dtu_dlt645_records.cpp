#include "pages/dlt645/dtu_dlt645_records.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "base/dtu_log.h"

namespace {

constexpr size_t kNameMax = 31;
constexpr size_t kValueMax = 63;
constexpr size_t kNumberKept = 7;
constexpr size_t kCodeKept = 15;
constexpr size_t kTagKept = 63;
constexpr size_t kItemDiKept = 31;
constexpr const char kMeterPrefix[] = "dlt645-meter-cfg : ";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string TrimLeft(const std::string &text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

std::vector<std::string> Split(const std::string &text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// A record trimmed of white space and of trailing ";".
std::string TrimRecord(const std::string &record) {
  std::string out = DtuDlt645Trim(record);
  while (!out.empty() && (out.back() == ';' || IsBlank(out.back()))) out.pop_back();
  return out;
}

// Splits "name:value" at the first ":"; false when the name or the value is
// outside the limits the device's fields allow.
bool SplitField(const std::string &field, std::string &name, std::string &value) {
  const size_t colon = field.find(':');
  if (colon == std::string::npos) return false;
  name = TrimLeft(field.substr(0, colon));
  value = TrimLeft(field.substr(colon + 1));
  return !name.empty() && name.size() <= kNameMax && value.size() <= kValueMax;
}

std::string Kept(const std::string &value, size_t limit, const char *name) {
  if (value.size() <= limit) return value;
  DTU_LOG("%s value \"%s\" longer than %zu characters, cut.", name, value.c_str(), limit);
  return value.substr(0, limit);
}

// 1..8 for "di1".."di8", otherwise 0 (di0, di9, di10 and other names).
int DiNumber(const std::string &name) {
  if (name.size() != 3 || name.compare(0, 2, "di") != 0) return 0;
  const char digit = name[2];
  return digit >= '1' && digit <= '8' ? digit - '0' : 0;
}

void ApplyMeterField(DtuDlt645Meter &meter, const std::string &name, const std::string &value) {
  if (name == "ch") {
    meter.ch = std::atoi(Kept(value, kNumberKept, "ch").c_str());
  } else if (name == "addr") {
    meter.addr = Kept(value, kCodeKept, "addr");
    meter.present |= DtuDlt645Meter::kAddr;
  } else if (name == "preamble") {
    meter.preamble = Kept(value, kNumberKept, "preamble");
    meter.present |= DtuDlt645Meter::kPreamble;
  } else if (name == "cycle") {
    meter.cycle = Kept(value, kNumberKept, "cycle");
    meter.present |= DtuDlt645Meter::kCycle;
  } else if (name == "diNum") {
    meter.di_num = Kept(value, kNumberKept, "diNum");
    meter.present |= DtuDlt645Meter::kDiNum;
  } else if (const int j = DiNumber(name)) {
    meter.di[j - 1] = Kept(value, kCodeKept, "di");
    if (j > meter.highest_di) meter.highest_di = j;
  }
}

std::string DropMeterPrefix(const std::string &record) {
  const size_t length = sizeof(kMeterPrefix) - 1;
  if (record.size() >= length && strncasecmp(record.c_str(), kMeterPrefix, length) == 0) {
    return record.substr(length);
  }
  return record;
}

// The fields of a record from its "ch:" on, as name -> value pairs in order.
std::vector<std::pair<std::string, std::string>> FieldsFromCh(const std::string &record) {
  std::vector<std::pair<std::string, std::string>> fields;
  const size_t at = record.find("ch:");
  if (at == std::string::npos) return fields;
  for (const std::string &field : Split(record.substr(at), '/')) {
    const size_t colon = field.find(':');
    if (colon == std::string::npos) continue;
    fields.emplace_back(TrimLeft(field.substr(0, colon)), field.substr(colon + 1));
  }
  return fields;
}

}  // namespace

std::string DtuDlt645Trim(const std::string &text) {
  size_t start = 0, end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

std::string DtuDlt645Meter::DiList() const {
  std::string list;
  for (int j = 0; j < highest_di; ++j) {
    if (j > 0) list += ',';
    list += di[j];
  }
  return list;
}

std::vector<std::string> DtuDlt645SplitDiList(const std::string &list) {
  std::vector<std::string> codes;
  for (const std::string &element : Split(list, ',')) {
    std::string code;
    for (char c : element) {
      if (!IsBlank(c)) code += c;
    }
    if (code.empty()) continue;
    codes.push_back(code);
    if (codes.size() == kDlt645DiCodes) break;
  }
  return codes;
}

std::string DtuDlt645DiPart(const std::vector<std::string> &codes) {
  std::string part;
  for (size_t j = 0; j < codes.size() && j < kDlt645DiCodes; ++j) {
    part += "/di" + std::to_string(j + 1) + ":" + codes[j];
  }
  return part;
}

std::string DtuDlt645MeterPayload(int ch, const std::string &addr, const std::string &preamble,
                                  const std::string &cycle, const std::string &di_num,
                                  const std::vector<std::string> &codes) {
  return "ch:" + std::to_string(ch) + "/addr:" + addr + "/preamble:" + preamble + "/cycle:" + cycle +
         "/diNum:" + di_num + DtuDlt645DiPart(codes) + ";";
}

std::vector<DtuDlt645Meter> DtuDlt645ParseMeters(const std::string &value) {
  std::vector<DtuDlt645Meter> meters;
  for (const std::string &part : Split(TrimLeft(value), ';')) {
    const std::string record = DropMeterPrefix(TrimRecord(part));
    if (record.empty()) continue;
    DtuDlt645Meter meter;
    for (const std::string &field : Split(record, '/')) {
      std::string name, field_value;
      if (SplitField(field, name, field_value)) ApplyMeterField(meter, name, field_value);
    }
    meters.push_back(meter);
  }
  return meters;
}

std::string DtuDlt645RulePayload(const DtuDlt645Rule &rule) {
  char text[96];
  std::snprintf(text, sizeof(text), "ch:%d/rule:%d/paramCnt:%d", rule.ch, rule.rule, rule.param_cnt);
  return text;
}

std::string DtuDlt645RuleItemPayload(const DtuDlt645RuleItem &item) {
  char numbers[128];
  std::snprintf(numbers, sizeof(numbers), "/dataType:%d/dataEndian:%d/dataRule:%d/rate:%d", item.data_type,
                item.data_endian, item.data_rule, item.rate);
  return "ch:" + std::to_string(item.ch) + "/paramId:" + std::to_string(item.param_id) + "/tag:" + item.tag +
         "/di:" + item.di + numbers;
}

bool DtuDlt645ParseRule(const std::string &value, DtuDlt645Rule &rule) {
  const std::string record = TrimRecord(value);
  if (record.find("ch:") == std::string::npos) return false;
  rule = DtuDlt645Rule();
  for (const auto &[name, field_value] : FieldsFromCh(record)) {
    const int number = std::atoi(field_value.c_str());
    if (name == "ch") rule.ch = number;
    else if (name == "rule") rule.rule = number;
    else if (name == "paramCnt") rule.param_cnt = number;
  }
  return true;
}

std::vector<DtuDlt645RuleItem> DtuDlt645ParseRuleItems(const std::string &value) {
  std::vector<DtuDlt645RuleItem> items;
  for (const std::string &part : Split(value, ';')) {
    const std::string record = TrimRecord(part);
    if (record.find("ch:") == std::string::npos) continue;
    DtuDlt645RuleItem item;
    for (const auto &[name, field_value] : FieldsFromCh(record)) {
      const int number = std::atoi(field_value.c_str());
      if (name == "ch") item.ch = number;
      else if (name == "paramId") item.param_id = number;
      else if (name == "tag") item.tag = Kept(field_value, kTagKept, "tag");
      else if (name == "di") item.di = Kept(field_value, kItemDiKept, "di");
      else if (name == "dataType") item.data_type = number;
      else if (name == "dataEndian") item.data_endian = number;
      else if (name == "dataRule") item.data_rule = number;
      else if (name == "rate") item.rate = number;
    }
    items.push_back(item);
  }
  return items;
}

bool DtuDlt645IsDiCode(const std::string &code) {
  if (code.size() != 8) return false;
  for (char c : code) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

char DtuDlt645RecordSeparatorIn(const std::string &text) {
  const size_t at = text.find_first_of("/:;");
  return at == std::string::npos ? '\0' : text[at];
}
