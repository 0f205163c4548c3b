#include "link/dtu_cmd_protocol.h"

#include <cstring>

int DtuCmdEscape(const char *line, int length, char *out, int *consumed) {
  if (consumed != nullptr) *consumed = 0;
  if (line == nullptr || out == nullptr || length <= 0) return 0;
  int n = 0;
  int bars = 0;  // '|' bytes seen so far, the current one included
  int i = 0;
  for (; i < length && n < kDtuEscapeStopLength; ++i) {
    const char c = line[i];
    if (c == '|') ++bars;
    if (bars <= 2) {
      out[n++] = c;
    } else if (c == '|') {
      std::memcpy(out + n, "[dec]", 5);  // n < 2038, so this ends at most at 2042
      n += 5;
    } else if (c == ',' && n < kDtuEscapeCommaLimit) {
      std::memcpy(out + n, "[comma]", 7);
      n += 7;
    } else {
      out[n++] = c;
    }
  }
  if (consumed != nullptr) *consumed = i;
  return n;
}

bool DtuCmdLineFitsSlot(const char *line, int length) {
  char scratch[kDtuEscapedMax];
  int consumed = 0;
  DtuCmdEscape(line, length, scratch, &consumed);
  return consumed == length;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The closing "OK" is dropped only when it stands on a line of its own: a
// value that merely ends in "ok" ("/facebook") reaches its page whole when the
// device paused before its OK line or sent none.
bool EndsWithOkLine(const char *data, int begin, int end) {
  if (end - begin < 2) return false;
  if ((data[end - 2] != 'O' && data[end - 2] != 'o') || (data[end - 1] != 'K' && data[end - 1] != 'k')) return false;
  int before = end - 2;
  while (before > begin && (data[before - 1] == ' ' || data[before - 1] == '\t')) --before;
  return before == begin || data[before - 1] == '\r' || data[before - 1] == '\n';
}

}  // namespace

int DtuCmdCleanAnswer(const char *data, int length, char *out) {
  if (out == nullptr) return 0;
  if (data == nullptr || length <= 0) {
    out[0] = '\0';
    return 0;
  }
  // The text ends at the first NUL byte, as if copied into a zero-filled buffer.
  const void *nul = std::memchr(data, '\0', static_cast<size_t>(length));
  int end = nul ? static_cast<int>(static_cast<const char *>(nul) - data) : length;
  int begin = 0;
  while (begin < end && IsBlank(data[begin])) ++begin;
  while (end > begin && IsBlank(data[end - 1])) --end;
  if (EndsWithOkLine(data, begin, end)) {
    end -= 2;
    while (end > begin && IsBlank(data[end - 1])) --end;
  }
  const int cleaned = end - begin;
  if (cleaned > 0) std::memmove(out, data + begin, static_cast<size_t>(cleaned));
  out[cleaned] = '\0';
  return cleaned;
}
