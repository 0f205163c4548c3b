#include "sim/dtu_sim_store.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdlib>

#include "sim/dtu_sim_bhu.h"
#include "sim/dtu_sim_defaults.h"
#include "sim/dtu_sim_dlt645.h"

std::string DtuSimLower(const std::string &text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return lower;
}

namespace {

bool IsChannelKey(const std::string &lower_key) {
  for (const char *k : DtuSimChannelKeys()) {
    if (lower_key == k) return true;
  }
  return false;
}

bool IsReadOnly(const std::string &lower_key) {
  for (const char *k : DtuSimReadOnlyKeys()) {
    if (lower_key == DtuSimLower(k)) return true;
  }
  return false;
}

// The decimal number of `width` characters at `offset`, or -1.
int NumberAt(const std::string &text, size_t offset, size_t width) {
  if (text.size() < offset + width) return -1;
  int value = 0;
  for (size_t i = offset; i < offset + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// Index under which a `get` argument's payload is kept: "c" or "c/p".
std::string GetIndex(const std::string &key, const std::string &arg, int *channel, int *item) {
  *item = 1;
  if (key == "modbus-slave-cfg" || key == "modbus-cache-slave-cfg") {
    char *end = nullptr;
    *channel = static_cast<int>(std::strtol(arg.c_str(), &end, 10));
    if (arg.empty() || *end != '\0') return std::string();
  } else if (key == "modbus-slave-rule") {
    *channel = NumberAt(arg, 2, 2);
    if (arg.size() == 6 && (arg.substr(4) == "FF" || arg.substr(4) == "ff")) return std::to_string(*channel);
    if (arg.size() != 8) return std::string();
    *item = NumberAt(arg, 6, 2);
    return std::to_string(*channel) + "/" + std::to_string(*item);
  } else if (DtuSimIsDlt645Key(key)) {
    if (!DtuSimDlt645Select(key, arg, channel, item)) return std::string();
    if (key == "dlt645-meter-rule-item") return std::to_string(*channel) + "/" + std::to_string(*item);
  }
  return std::to_string(*channel);
}

}  // namespace

DtuSimStore::DtuSimStore() { Reset(); }

void DtuSimStore::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.clear();
  channels_.clear();
  for (const auto &entry : DtuSimPlainDefaults()) values_[DtuSimLower(entry.first)] = entry.second;
}

std::optional<std::string> DtuSimStore::Get(const std::string &key, const std::string &argument) const {
  const std::string lower = DtuSimLower(key);
  if (IsChannelKey(lower)) return GetChannel(lower, argument);
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = values_.find(lower);
  if (found == values_.end()) return std::nullopt;
  if (DtuSimIsBhuKey(lower)) return DtuSimBhuAnswer(lower, found->second);
  return found->second;
}

std::optional<std::string> DtuSimStore::GetChannel(const std::string &key, const std::string &argument) const {
  if (key == "dlt645-meter-cfg") return DltMeterRecords();
  int channel = -1, item = -1;
  const std::string index = GetIndex(key, argument, &channel, &item);
  if (index.empty() || !InRange(channel, 1, 6) || !InRange(item, 1, 8)) return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  auto by_key = channels_.find(key);
  if (by_key != channels_.end()) {
    auto found = by_key->second.find(index);
    if (found != by_key->second.end()) return found->second;
  }
  return DtuSimChannelDefault(key, channel, item);
}

std::string DtuSimStore::DltMeterRecords() const {
  int count = std::atoi(Value("dlt645-channel").c_str());
  count = std::max(1, std::min(count, 6));
  std::string records;
  for (int ch = 1; ch <= count; ++ch) records += ChannelValue("dlt645-meter-cfg", std::to_string(ch));
  return records;
}

std::optional<std::string> DtuSimStore::Set(const std::string &key, const std::string &payload) {
  const std::string lower = DtuSimLower(key);
  if (DtuSimIsDlt645Key(lower)) return SetDlt645(lower, payload);
  if (IsChannelKey(lower)) return SetChannel(lower, payload);
  if (IsReadOnly(lower)) return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = values_.find(lower);
  if (found == values_.end()) return std::nullopt;
  if (DtuSimIsBhuKey(lower)) {
    auto next = DtuSimBhuSet(lower, found->second, payload);
    if (!next) return std::nullopt;
    found->second = *next;
    return DtuSimBhuAnswer(lower, *next);
  }
  found->second = payload;
  return payload;
}

std::optional<std::string> DtuSimStore::SetChannel(const std::string &key, const std::string &payload) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto &stored = channels_[key];
  if (key == "modbus-slave-cfg" || key == "modbus-cache-slave-cfg") {
    const int channel = key == "modbus-slave-cfg" ? NumberAt(payload, 2, 2) : NumberAt(payload, 0, 2);
    if (!InRange(channel, 1, 6)) return std::nullopt;
    stored[std::to_string(channel)] = payload;
  } else if (key == "modbus-slave-rule") {
    const int channel = NumberAt(payload, 2, 2);
    if (!InRange(channel, 1, 6) || payload.size() < 6) return std::nullopt;
    const std::string c = std::to_string(channel);
    if (payload.size() < 12) {  // "00cc00": transparent, no parameters
      stored[c] = payload.substr(0, 6) + "00";
      for (int p = 1; p <= 8; ++p) stored.erase(c + "/" + std::to_string(p));
    } else {
      stored[c] = payload.substr(0, 8);
      stored[c + "/" + std::to_string(NumberAt(payload, 8, 2))] = payload;
    }
  } else {
    return std::nullopt;
  }
  return payload;
}

// Kept in the device's own form: the answer to a set shows what was stored.
std::optional<std::string> DtuSimStore::SetDlt645(const std::string &key, const std::string &payload) {
  int channel = 0, item = 0;
  std::optional<std::string> kept = DtuSimDlt645Accept(key, payload, &channel, &item);
  if (!kept) return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  if (channel == 0) {
    values_[key] = *kept;
  } else {
    const std::string c = std::to_string(channel);
    channels_[key][item > 0 ? c + "/" + std::to_string(item) : c] = *kept;
  }
  return kept;
}

std::string DtuSimStore::Value(const std::string &key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = values_.find(DtuSimLower(key));
  return found == values_.end() ? std::string() : found->second;
}

void DtuSimStore::SetValue(const std::string &key, const std::string &value) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_[DtuSimLower(key)] = value;
}

std::string DtuSimStore::ChannelValue(const std::string &key, const std::string &index) const {
  const std::string lower = DtuSimLower(key);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto by_key = channels_.find(lower);
    if (by_key != channels_.end()) {
      auto found = by_key->second.find(index);
      if (found != by_key->second.end()) return found->second;
    }
  }
  const int channel = std::atoi(index.c_str());
  size_t slash = index.find('/');
  const int item = slash == std::string::npos ? 1 : std::atoi(index.c_str() + slash + 1);
  return DtuSimChannelDefault(lower, channel, item);
}

std::string DtuSimStore::ToJson() const {
  std::lock_guard<std::mutex> lock(mutex_);
  cJSON *root = cJSON_CreateObject();
  cJSON *values = cJSON_AddObjectToObject(root, "values");
  for (const auto &entry : values_) cJSON_AddStringToObject(values, entry.first.c_str(), entry.second.c_str());
  cJSON *channels = cJSON_AddObjectToObject(root, "channels");
  for (const auto &by_key : channels_) {
    cJSON *key = cJSON_AddObjectToObject(channels, by_key.first.c_str());
    for (const auto &entry : by_key.second) cJSON_AddStringToObject(key, entry.first.c_str(), entry.second.c_str());
  }
  char *text = cJSON_Print(root);
  std::string json = text ? text : "{}";
  cJSON_free(text);
  cJSON_Delete(root);
  return json;
}

bool DtuSimStore::FromJson(const std::string &json) {
  cJSON *root = cJSON_ParseWithLength(json.data(), json.size());
  if (root == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  const cJSON *values = cJSON_GetObjectItemCaseSensitive(root, "values");
  const cJSON *item = nullptr;
  cJSON_ArrayForEach(item, values) {
    if (cJSON_IsString(item) && item->string) values_[DtuSimLower(item->string)] = item->valuestring;
  }
  const cJSON *channels = cJSON_GetObjectItemCaseSensitive(root, "channels");
  const cJSON *by_key = nullptr;
  cJSON_ArrayForEach(by_key, channels) {
    if (!cJSON_IsObject(by_key) || by_key->string == nullptr) continue;
    cJSON_ArrayForEach(item, by_key) {
      if (cJSON_IsString(item) && item->string) channels_[by_key->string][item->string] = item->valuestring;
    }
  }
  cJSON_Delete(root);
  return true;
}
