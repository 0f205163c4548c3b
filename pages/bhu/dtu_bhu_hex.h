// Hexadecimal text of the business packets: what the user types is
// normalised before it is sent, and the bytes the device answers with are
// shown as hexadecimal again. Wildcards ("${IMEI}", "${CRC16}", ...) stand
// for live values the device fills in and pass through both unchanged.
#pragma once

#include <optional>
#include <string>

#include "base/dtu_text_id.h"

// A check that failed: the message, the number its "%d" shows (a field
// number or a limit) and, for a message without a number that concerns one
// field, that field (1..10; 0 for none).
struct DtuBhuFault {
  DtuTextId text;
  int number = 0;
  int field = 0;
};
using DtuBhuCheck = std::optional<DtuBhuFault>;  // empty: passed

// Hexadecimal digits a content may hold outside its wildcards (512 bytes).
constexpr int kDtuBhuHexDigitsMax = 1024;

// Normalises typed hexadecimal text: wildcards are copied as they are;
// between them blanks, tabs, line ends and "0x"/"0X" prefixes are dropped and
// digits written in upper case. Fails on any other character (an unclosed
// "${" included), on an empty result, on an odd number of digits between two
// wildcards (the device pairs digits into bytes run by run), and on more than
// kDtuBhuHexDigitsMax digits.
DtuBhuCheck DtuBhuNormaliseHex(const std::string &text, std::string &normalised);

// The bytes of a hexadecimal packet as the page shows them: "%02X" per byte,
// except that a run from "${" to the next "}" is shown as it is.
std::string DtuBhuHexDisplay(const std::string &bytes);

bool DtuBhuIsHexDigit(char c);
