// The data port's lists and how the device's codes map onto them.
#pragma once

#include <string>

constexpr int kDtuBaudrateCount = 15;
constexpr int kDtuDatabitsCount = 4;
constexpr int kDtuParityCount = 3;

// "1200" ... "921600", "5" ... "8", "None" "Odd" "Even".
extern const char *const kDtuBaudrateItems[kDtuBaudrateCount];
extern const char *const kDtuDatabitsItems[kDtuDatabitsCount];
extern const char *const kDtuParityItems[kDtuParityCount];

// First baud item the value begins with (case ignored, over the item's
// length), or -1.
int DtuBaudrateIndexFromAnswer(const std::string &value);
// The value read as a number plus 5, compared with the items over as many
// characters as the value has; the index or -1.
int DtuDatabitIndexFromAnswer(const std::string &value);
// First character "0" None, "1" Odd, "3" Even; anything else -1.
int DtuParityIndexFromAnswer(const std::string &value);
// Device parity code of a list index: 0, 1, 3.
int DtuParityCodeFromIndex(int index);
// List index of a stored parity code: 1 Odd, 3 Even, anything else None.
int DtuParityIndexFromCode(int code);
// Index of the baud item whose number equals `baud`, or -1.
int DtuBaudrateIndexFromNumber(int baud);
