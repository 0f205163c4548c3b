#include "pages/kit/dtu_typed_number.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string DtuTypedTrim(const std::string &text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool DtuTypedAllDigits(const std::string &text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

long long DtuTypedNumber(const std::string &text) {
  const std::string trimmed = DtuTypedTrim(text);
  errno = 0;
  char *end = nullptr;
  long long value = std::strtoll(trimmed.c_str(), &end, 10);
  return end == trimmed.c_str() ? 0 : value;  // strtoll saturates on overflow
}

std::string DtuTypedFileInt(const std::string &text) {
  return std::to_string(std::clamp<long long>(DtuTypedNumber(text), INT_MIN, INT_MAX));
}

bool DtuTypedNumberIn(const std::string &text, long long min, long long max) {
  const std::string trimmed = DtuTypedTrim(text);
  const size_t digits_at = !trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '+') ? 1 : 0;
  if (!DtuTypedAllDigits(trimmed.substr(digits_at))) return false;
  errno = 0;
  const long long value = std::strtoll(trimmed.c_str(), nullptr, 10);
  return errno != ERANGE && value >= min && value <= max;
}

const char *DtuTypedEscapeWordIn(const std::string &text) {
  for (const char *word : {"[dec]", "[comma]"}) {
    if (strcasestr(text.c_str(), word) != nullptr) return word;
  }
  return nullptr;
}

bool DtuTypedHasEscapeWord(const std::string &text) { return DtuTypedEscapeWordIn(text) != nullptr; }
