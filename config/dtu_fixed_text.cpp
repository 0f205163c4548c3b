#include "config/dtu_fixed_text.h"

std::size_t DtuUtf8CutLength(const char *text, std::size_t length, std::size_t capacity) {
  if (text == nullptr) return 0;
  if (length <= capacity) return length;
  // text[capacity] is the first byte that does not fit; if it continues a
  // multi-byte character (10xxxxxx), step back to where that character starts
  // (at most 3 bytes: no UTF-8 character is longer than 4). Bytes that are not
  // UTF-8 at all are simply cut at the capacity.
  auto continues = [text](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
  std::size_t cut = capacity;
  while (cut > 0 && capacity - cut < 3 && continues(cut)) --cut;
  return continues(cut) ? capacity : cut;
}
