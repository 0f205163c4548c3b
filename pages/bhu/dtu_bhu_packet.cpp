#include "pages/bhu/dtu_bhu_packet.h"

#include <cstdio>
#include <cstdlib>

#include "link/dtu_cmd_protocol.h"

namespace {

const char *const kPacketKeys[kDtuBhuPacketTypes] = {"bhu-login", "bhu-heart", "bhu-data", "bhu-header"};
const char *const kLayoutKeys[kDtuBhuPacketTypes] = {"bhu-hex-login-cfg", "bhu-hex-heart-cfg", "bhu-hex-data-cfg",
                                                     nullptr};

size_t LengthOffset(DtuBhuPacketType type) { return DtuBhuHasPeriod(type) ? 10 : 2; }

long DigitsAt(const std::string &text, size_t offset, size_t width) {
  if (text.size() < offset) return 0;
  return std::atol(text.substr(offset, width).c_str());
}

int DataTypeOf(char digit) {
  if (digit == '0' || digit == '\0') return kDtuBhuText;
  return digit == '2' ? kDtuBhuHexFields : kDtuBhuHexText;
}

// Escaped length of a line with no limit: what the command port would need
// to queue it whole.
size_t FullEscapedLength(const std::string &line) {
  size_t length = 0;
  int bars = 0;
  for (char c : line) {
    if (c == '|') ++bars;
    if (bars >= 3 && c == '|') {
      length += 5;
    } else if (bars >= 3 && c == ',') {
      length += 7;
    } else {
      ++length;
    }
  }
  return length;
}

bool AllDigits(const std::string &text) { return text.find_first_not_of("0123456789") == std::string::npos; }

// A switched-off packet may answer its switch alone ("0"); anything longer
// carries the whole head: switch, data type, period (heartbeat and data)
// and content length, all digits.
bool Readable(DtuBhuPacketType type, const std::string &value) {
  if (value.empty() || (value[0] != '0' && value[0] != '1')) return false;
  if (value == "0") return true;
  const size_t head = LengthOffset(type) + 4;
  return value.size() >= head && AllDigits(value.substr(0, head));
}

}  // namespace

const char *DtuBhuPacketKey(DtuBhuPacketType type) { return kPacketKeys[static_cast<int>(type)]; }
const char *DtuBhuLayoutKey(DtuBhuPacketType type) { return kLayoutKeys[static_cast<int>(type)]; }
bool DtuBhuHasPeriod(DtuBhuPacketType type) {
  return type == DtuBhuPacketType::kHeart || type == DtuBhuPacketType::kData;
}
int DtuBhuContentLimit(DtuBhuPacketType type) { return type == DtuBhuPacketType::kData ? 1024 : 256; }

DtuBhuCheck DtuBhuPrepareContent(DtuBhuPacketType type, int data_type, const std::string &box_text,
                                 const std::vector<DtuBhuField> &fields, std::string &content) {
  const int limit = DtuBhuContentLimit(type);
  if (data_type != kDtuBhuHexFields && DtuBhuTrim(box_text).size() > static_cast<size_t>(limit)) {
    return DtuBhuFault{DtuTextId::kBhuPacketTooLong, limit};
  }
  DtuBhuCheck fault;
  if (data_type == kDtuBhuText) {
    content = DtuBhuTrim(box_text);
  } else if (data_type == kDtuBhuHexText) {
    fault = DtuBhuNormaliseHex(box_text, content);
  } else {
    fault = DtuBhuComposeFields(fields, content);
  }
  if (fault) return fault;
  if (content.size() > static_cast<size_t>(limit)) return DtuBhuFault{DtuTextId::kBhuPacketTooLong, limit};
  if (DtuBhuHasReservedText(content)) return DtuBhuFault{DtuTextId::kBhuContentReserved};
  return std::nullopt;
}

DtuBhuCheck DtuBhuParsePeriod(const std::string &text, long &period) {
  const std::string digits = DtuBhuTrim(text);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
    return DtuBhuFault{DtuTextId::kBhuCycleNegative};
  }
  const size_t significant = digits.find_first_not_of('0');
  if (significant == std::string::npos) return DtuBhuFault{DtuTextId::kBhuCycleNegative};
  if (digits.size() - significant > 8) return DtuBhuFault{DtuTextId::kBhuCycleTooLarge, kDtuBhuPeriodMax};
  period = std::atol(digits.c_str() + significant);
  return std::nullopt;
}

std::string DtuBhuBuildPayload(DtuBhuPacketType type, int data_type, long period, const std::string &content) {
  char head[24];
  const int length = static_cast<int>(content.size());
  if (DtuBhuHasPeriod(type)) {
    std::snprintf(head, sizeof(head), "%01d%01d%08ld%04d", 1, data_type, period, length);
  } else {
    std::snprintf(head, sizeof(head), "%01d%01d%04d", 1, data_type, length);
  }
  return head + content;
}

DtuBhuAnswer DtuBhuParseAnswer(DtuBhuPacketType type, const std::string &value) {
  DtuBhuAnswer answer;
  answer.readable = Readable(type, value);
  if (!answer.readable) return answer;
  answer.on = value[0] == '1';
  answer.data_type = DataTypeOf(value.size() > 1 ? value[1] : '\0');
  if (DtuBhuHasPeriod(type)) answer.period = DigitsAt(value, 2, 8);
  const size_t length_at = LengthOffset(type);
  answer.length = static_cast<int>(DigitsAt(value, length_at, 4));
  if (answer.length < 1 || answer.length > kDtuBhuAnswerLengthMax) return answer;
  const size_t content_at = length_at + 4;
  const size_t received = value.size() > content_at ? value.size() - content_at : 0;
  if (received < static_cast<size_t>(answer.length)) {
    answer.incomplete = true;
    return answer;
  }
  const std::string bytes = value.substr(content_at, answer.length);
  answer.content = answer.data_type == kDtuBhuHexText ? DtuBhuHexDisplay(bytes) : bytes;
  return answer;
}

bool DtuBhuLineFitsSlot(const std::string &line) {
  const size_t full = FullEscapedLength(line);
  if (full > static_cast<size_t>(kDtuEscapeStopLength)) return false;
  char escaped[kDtuEscapedMax];
  return static_cast<size_t>(DtuCmdEscape(line.c_str(), static_cast<int>(line.size()), escaped)) == full;
}
