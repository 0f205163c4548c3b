// Fuzz target: what the device answers for the business packets, on
// arbitrary bytes: the packet answer of every type, the field layout answer,
// and the hexadecimal normalisation of typed text. Checks that the parsers
// stay inside their limits and that normalised text normalises to itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pages/bhu/dtu_bhu_packet.h"

namespace {

void CheckPacketAnswers(const std::string &value) {
  for (int type = 0; type < kDtuBhuPacketTypes; ++type) {
    const DtuBhuAnswer answer = DtuBhuParseAnswer(static_cast<DtuBhuPacketType>(type), value);
    if (answer.incomplete && !answer.content.empty()) __builtin_trap();
    // Hexadecimal display at most doubles the bytes it was given.
    if (answer.content.size() > 2 * static_cast<size_t>(kDtuBhuAnswerLengthMax)) __builtin_trap();
  }
}

void CheckLayout(const std::string &value) {
  const DtuBhuLayout layout = DtuBhuParseLayout(value);
  if (layout.count < 0 || layout.count > kDtuBhuFieldsMax) __builtin_trap();
  if (layout.fields.size() > static_cast<size_t>(layout.count)) __builtin_trap();
  for (const DtuBhuField &field : layout.fields) {
    if (field.value.size() > static_cast<size_t>(kDtuBhuFieldValueMax)) __builtin_trap();
    if (field.type < -1 || field.type >= kDtuBhuFieldTypes) __builtin_trap();
  }
}

void CheckNormalisation(const std::string &text) {
  std::string once, twice;
  if (DtuBhuNormaliseHex(text, once)) return;
  if (DtuBhuNormaliseHex(once, twice) || twice != once) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  CheckPacketAnswers(bytes);
  CheckLayout(bytes);
  CheckNormalisation(bytes);
  return 0;
}
