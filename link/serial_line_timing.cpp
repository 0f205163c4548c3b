#include "link/serial_line_timing.h"

#include <cmath>

namespace {

constexpr unsigned int kMinimumGapMs = 20;
constexpr double kGapCharacters = 3.5;

}  // namespace

double DtuCharacterBits(int data_bits, int parity, int stop_bits) {
  const double stop = stop_bits == 0 ? 1.0 : (stop_bits == 1 ? 1.5 : 2.0);
  return 1.0 + data_bits + (parity != 0 ? 1.0 : 0.0) + stop;
}

unsigned int DtuQuietGapMs(int baud, int data_bits, int parity, int stop_bits) {
  if (baud <= 0) return kMinimumGapMs;
  const double gap_ms = kGapCharacters * DtuCharacterBits(data_bits, parity, stop_bits) * 1000.0 / baud;
  const unsigned int rounded_up = static_cast<unsigned int>(std::ceil(gap_ms));
  return rounded_up > kMinimumGapMs ? rounded_up : kMinimumGapMs;
}
