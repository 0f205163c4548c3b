#include "sim/dtu_sim_bhu.h"

#include <cctype>
#include <cstdio>

namespace {

bool IsPacketKey(const std::string &key) {
  return key == "bhu-login" || key == "bhu-heart" || key == "bhu-data" || key == "bhu-header";
}

bool IsLayoutKey(const std::string &key) {
  return key == "bhu-hex-login-cfg" || key == "bhu-hex-heart-cfg" || key == "bhu-hex-data-cfg";
}

// Heartbeat and data packets carry an 8-digit period before the length.
size_t LengthOffset(const std::string &key) { return key == "bhu-heart" || key == "bhu-data" ? 10 : 2; }

bool AllDigits(const std::string &text, size_t offset, size_t width) {
  if (text.size() < offset + width) return false;
  for (size_t i = offset; i < offset + width; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hexadecimal text with "${...}" wildcards into the bytes the device keeps;
// nothing for text that is not such.
std::optional<std::string> HexToBytes(const std::string &text) {
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "${") == 0) {
      const size_t close = text.find('}', i);
      if (close == std::string::npos) return std::nullopt;
      bytes += text.substr(i, close + 1 - i);
      i = close + 1;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i]), low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return bytes;
}

bool ValidPacket(const std::string &key, const std::string &payload) {
  const size_t length_at = LengthOffset(key);
  const size_t content_at = length_at + 4;
  if (!AllDigits(payload, 0, content_at)) return false;
  if (payload[0] > '1' || payload[1] > '2') return false;
  const size_t length = std::stoul(payload.substr(length_at, 4));
  const std::string content = payload.substr(content_at);
  if (content.size() != length) return false;
  return payload[1] != '1' || HexToBytes(content).has_value();
}

bool ValidLayout(const std::string &payload) {
  if (!AllDigits(payload, 0, 8)) return false;
  const int count = std::stoi(payload.substr(6, 2));
  return count >= 1 && count <= 10 && payload.size() == 8 + 20 * static_cast<size_t>(count);
}

}  // namespace

bool DtuSimIsBhuKey(const std::string &lower_key) { return IsPacketKey(lower_key) || IsLayoutKey(lower_key); }

std::optional<std::string> DtuSimBhuSet(const std::string &lower_key, const std::string &stored,
                                        const std::string &payload) {
  if (IsLayoutKey(lower_key)) {
    if (!ValidLayout(payload)) return std::nullopt;
    return payload;
  }
  if (payload == "0") return stored.empty() ? payload : "0" + stored.substr(1);
  if (!ValidPacket(lower_key, payload)) return std::nullopt;
  return payload;
}

std::string DtuSimBhuAnswer(const std::string &lower_key, const std::string &stored) {
  if (!IsPacketKey(lower_key) || stored.size() < 2 || stored[1] != '1') return stored;
  const size_t content_at = LengthOffset(lower_key) + 4;
  if (stored.size() < content_at) return stored;
  const auto bytes = HexToBytes(stored.substr(content_at));
  if (!bytes) return stored;
  char length[8];
  std::snprintf(length, sizeof(length), "%04d", static_cast<int>(bytes->size()) % 10000);
  return stored.substr(0, content_at - 4) + length + *bytes;
}
