// Reading what a user typed into a number field: the page kit and every page
// family read typed numbers the same way.
#pragma once

#include <string>

// Decimal value of a typed text: leading and trailing white space ignored, a
// text that is not a number gives 0 (as the device tool always read it),
// values beyond the range of long long saturate.
long long DtuTypedNumber(const std::string &text);
// True for a non-empty text of decimal digits only.
bool DtuTypedAllDigits(const std::string &text);
// White space trimmed at both ends.
std::string DtuTypedTrim(const std::string &text);
