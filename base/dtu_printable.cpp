#include "base/dtu_printable.h"

#include <cstdio>

bool DtuHasControlCharacter(const std::string &text) {
  for (char c : text) {
    if (DtuIsControlByte(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

namespace {

void AppendEscape(std::string &out, unsigned char c) {
  switch (c) {
    case '\r': out += "\\r"; return;
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  char hex[5];
  std::snprintf(hex, sizeof hex, "\\x%02x", c);
  out += hex;
}

// Length of the well-formed UTF-8 sequence that starts at text[i]; 0 when
// none does (a stray continuation byte, an overlong form, a surrogate, a
// code point past U+10FFFF, a sequence cut short).
size_t Utf8SequenceLength(const std::string &text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xbf;  // the second byte's range
  if (c >= 0xc2 && c <= 0xdf) {
    length = 2;
  } else if (c >= 0xe0 && c <= 0xef) {
    length = 3;
    if (c == 0xe0) low = 0xa0;
    if (c == 0xed) high = 0x9f;
  } else if (c >= 0xf0 && c <= 0xf4) {
    length = 4;
    if (c == 0xf0) low = 0x90;
    if (c == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char b = static_cast<unsigned char>(text[i + k]);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xbf)) return 0;
  }
  return length;
}

}  // namespace

std::string DtuEscapeInvalidUtf8(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(text[i]));
      out += hex;
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string DtuEscapeControl(const std::string &text, bool keep_line_breaks) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool line_break = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
    if (keep_line_breaks && line_break) {
      out += static_cast<char>(c);
    } else if (DtuIsControlByte(c)) {
      AppendEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}
