// A configuration record with a distinct, non-default value in every field,
// and a field-by-field comparison that does not go through the file layout.
#pragma once

#include "config/dtu_config.h"

namespace config_test {

// Every field gets a value of its own (texts fill their capacity where `full`
// is set, including multi-byte characters); counts are at their maximum so
// that every stored field reaches the file.
void FillEveryField(DtuConfig &config, bool full_texts = false);

// Non-fatal gtest failures for every field that differs.
void ExpectSameRecord(const DtuConfig &expected, const DtuConfig &actual);

}  // namespace config_test
