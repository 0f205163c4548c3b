#include "pages/bhu/dtu_bhu_hex.h"

#include <cstdio>

namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsHexPrefix(const std::string &text, size_t at) {
  return text[at] == '0' && at + 1 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X');
}

char Upper(char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; }

DtuBhuFault Fault(DtuTextId text) { return DtuBhuFault{text}; }

}  // namespace

bool DtuBhuIsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

DtuBhuCheck DtuBhuNormaliseHex(const std::string &text, std::string &normalised) {
  normalised.clear();
  int digits = 0;
  int run_digits = 0;  // digits since the last wildcard
  bool odd_run = false;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "${") == 0) {
      const size_t close = text.find('}', i);
      if (close == std::string::npos) return Fault(DtuTextId::kBhuHexInvalidChars);
      odd_run = odd_run || run_digits % 2 != 0;
      run_digits = 0;
      normalised.append(text, i, close + 1 - i);
      i = close + 1;
    } else if (IsSkipped(text[i])) {
      ++i;
    } else if (IsHexPrefix(text, i)) {
      i += 2;
    } else if (DtuBhuIsHexDigit(text[i])) {
      normalised.push_back(Upper(text[i]));
      ++digits;
      ++run_digits;
      ++i;
    } else {
      return Fault(DtuTextId::kBhuHexInvalidChars);
    }
  }
  odd_run = odd_run || run_digits % 2 != 0;
  if (normalised.empty()) return Fault(DtuTextId::kBhuHexEmpty);
  if (odd_run) return Fault(DtuTextId::kBhuHexOddLength);
  if (digits > kDtuBhuHexDigitsMax) return Fault(DtuTextId::kBhuHexTooLong);
  return std::nullopt;
}

std::string DtuBhuHexDisplay(const std::string &bytes) {
  std::string shown;
  for (size_t i = 0; i < bytes.size();) {
    if (bytes.compare(i, 2, "${") == 0) {
      const size_t close = bytes.find('}', i);
      if (close != std::string::npos) {
        shown.append(bytes, i, close + 1 - i);
        i = close + 1;
        continue;
      }
    }
    char pair[3];
    std::snprintf(pair, sizeof(pair), "%02X", static_cast<unsigned char>(bytes[i]));
    shown += pair;
    ++i;
  }
  return shown;
}
