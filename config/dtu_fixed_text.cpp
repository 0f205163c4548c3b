#include "config/dtu_fixed_text.h"

std::size_t DtuUtf8CutLength(const char *text, std::size_t length, std::size_t capacity) {
  if (text == nullptr) return 0;
  if (length <= capacity) return length;
  // text[capacity] is the first byte that does not fit; if it continues a
  // multi-byte character (10xxxxxx), step back to where that character starts.
  std::size_t cut = capacity;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}
