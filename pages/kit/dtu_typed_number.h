// Reading what a user typed into a number field: the page kit and every page
// family read typed numbers the same way.
#pragma once

#include <string>

// Decimal value of a typed text: leading and trailing white space ignored, a
// text that is not a number gives 0 (as the device tool always read it),
// values beyond the range of long long saturate.
long long DtuTypedNumber(const std::string &text);
// The typed number as a file's int key keeps it: decimal, held to int's
// range (a field codec's to_file).
std::string DtuTypedFileInt(const std::string &text);
// True for a non-empty text of decimal digits only.
bool DtuTypedAllDigits(const std::string &text);
// White space trimmed at both ends.
std::string DtuTypedTrim(const std::string &text);
// True when `text` is a whole decimal number (optional sign, white space at
// the ends ignored) from `min` to `max`: the range a device field's format
// fixes. Digits beyond what long long holds are out of any range.
bool DtuTypedNumberIn(const std::string &text, long long min, long long max);
// True when the text holds one of the device's escape words, "[dec]" or
// "[comma]", which it turns into "|" and "," as it stores a value: a typed
// value holding one would not be stored as typed.
bool DtuTypedHasEscapeWord(const std::string &text);
// The first escape word the text holds (compared without regard to case),
// or null.
const char *DtuTypedEscapeWordIn(const std::string &text);
