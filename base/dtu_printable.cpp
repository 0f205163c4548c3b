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

}  // namespace

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
