#include "sim/dtu_sim_dlt645.h"

#include <map>
#include <vector>

namespace {

using Fields = std::map<std::string, std::string>;

// "name:value" fields joined by "/", one record (a closing ";" allowed).
// False when a field has no ":" or a name repeats.
bool SplitRecord(std::string record, Fields &fields) {
  if (!record.empty() && record.back() == ';') record.pop_back();
  if (record.empty() || record.find(';') != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = record.find('/', start);
    const std::string field = record.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t colon = field.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    if (!fields.emplace(field.substr(0, colon), field.substr(colon + 1)).second) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool IsDecimal(const std::string &text, size_t max_digits) {
  if (text.empty() || text.size() > max_digits) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsHex(const std::string &text) {
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

// The number in `name`, when present, decimal and within low..high.
bool NumberIn(const Fields &fields, const char *name, int low, int high, int *out) {
  auto found = fields.find(name);
  if (found == fields.end() || !IsDecimal(found->second, 7)) return false;
  *out = std::stoi(found->second);
  return *out >= low && *out <= high;
}

std::string Text(const Fields &fields, const char *name) {
  auto found = fields.find(name);
  return found == fields.end() ? std::string() : found->second;
}

// A meter channel: address of at most 12 hex digits (empty: not set yet),
// preamble 1..4, a decimal cycle, DI count 1..8, DIs of 8 hex digits.
std::optional<std::string> AcceptMeter(const Fields &fields, int *channel) {
  int preamble = 0, cycle = 0, di_num = 0;
  const std::string addr = Text(fields, "addr");
  if (!NumberIn(fields, "ch", 1, 6, channel) || addr.size() > 12 || !IsHex(addr) ||
      !NumberIn(fields, "preamble", 1, 4, &preamble) || !NumberIn(fields, "cycle", 0, 9999999, &cycle) ||
      !NumberIn(fields, "diNum", 1, 8, &di_num)) {
    return std::nullopt;
  }
  std::string record = "ch:" + std::to_string(*channel) + "/addr:" + addr + "/preamble:" +
                       std::to_string(preamble) + "/cycle:" + std::to_string(cycle) + "/diNum:" +
                       std::to_string(di_num);
  for (int j = 1; j <= 8; ++j) {
    const std::string name = "di" + std::to_string(j);
    auto found = fields.find(name);
    if (found == fields.end()) continue;
    if (found->second.size() != 8 || !IsHex(found->second)) return std::nullopt;
    record += "/" + name + ":" + found->second;
  }
  return record + ";";
}

// A rule: Transparent (0) keeps no items, Parse (1) 1..8.
std::optional<std::string> AcceptRule(const Fields &fields, int *channel) {
  int rule = 0, count = 0;
  if (!NumberIn(fields, "ch", 1, 6, channel) || !NumberIn(fields, "rule", 0, 1, &rule) ||
      !NumberIn(fields, "paramCnt", 0, 8, &count) || (rule == 1 && count == 0)) {
    return std::nullopt;
  }
  if (rule == 0) count = 0;
  return "ch:" + std::to_string(*channel) + "/rule:" + std::to_string(rule) + "/paramCnt:" + std::to_string(count);
}

std::optional<std::string> AcceptRuleItem(const Fields &fields, int *channel, int *item) {
  int type = 0, endian = 0, rule = 0, rate = 0;
  const std::string tag = Text(fields, "tag");
  const std::string di = Text(fields, "di");
  if (!NumberIn(fields, "ch", 1, 6, channel) || !NumberIn(fields, "paramId", 1, 8, item) || tag.empty() ||
      tag.size() > 63 || di.size() != 8 || !IsHex(di) || !NumberIn(fields, "dataType", 0, 9, &type) ||
      !NumberIn(fields, "dataEndian", 0, 1, &endian) || !NumberIn(fields, "dataRule", 0, 2, &rule) ||
      !NumberIn(fields, "rate", 1, 9999999, &rate)) {
    return std::nullopt;
  }
  return "ch:" + std::to_string(*channel) + "/paramId:" + std::to_string(*item) + "/tag:" + tag + "/di:" + di +
         "/dataType:" + std::to_string(type) + "/dataEndian:" + std::to_string(endian) +
         "/dataRule:" + std::to_string(rule) + "/rate:" + std::to_string(rate);
}

}  // namespace

bool DtuSimIsDlt645Key(const std::string &lower_key) { return lower_key.rfind("dlt645-", 0) == 0; }

std::optional<std::string> DtuSimDlt645Accept(const std::string &lower_key, const std::string &payload,
                                              int *channel, int *item) {
  *channel = 0;
  *item = 0;
  if (lower_key == "dlt645-switch") {
    if (payload == "0" || payload == "1") return payload;
    return std::nullopt;
  }
  if (lower_key == "dlt645-channel") {
    if (IsDecimal(payload, 1) && payload >= "1" && payload <= "6") return payload;
    return std::nullopt;
  }
  Fields fields;
  if (!SplitRecord(payload, fields)) return std::nullopt;
  if (lower_key == "dlt645-meter-cfg") return AcceptMeter(fields, channel);
  if (lower_key == "dlt645-meter-rule") return AcceptRule(fields, channel);
  if (lower_key == "dlt645-meter-rule-item") return AcceptRuleItem(fields, channel, item);
  return std::nullopt;
}

bool DtuSimDlt645Select(const std::string &lower_key, const std::string &argument, int *channel, int *item) {
  Fields fields;
  *item = 1;
  if (!SplitRecord(argument, fields) || !NumberIn(fields, "ch", 1, 6, channel)) return false;
  if (lower_key != "dlt645-meter-rule-item") return fields.size() == 1;
  return fields.size() == 2 && NumberIn(fields, "paramId", 1, 8, item);
}
