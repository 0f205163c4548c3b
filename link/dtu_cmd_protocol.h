// The device command language: escaping of set payloads and cleaning of
// received answers. Pure functions, no state.
#pragma once

#include <cstddef>

// Escaped text never reaches this length; a ',' is escaped only below 2036.
constexpr int kDtuEscapeStopLength = 2038;
constexpr int kDtuEscapeCommaLimit = 2036;
// Largest escaped length (a "[dec]" written at 2037).
constexpr int kDtuEscapedMax = 2042;

// Escapes one command line: after the third '|', '|' becomes "[dec]" and ','
// becomes "[comma]". Writes at most kDtuEscapedMax bytes to `out` (which must
// hold at least kDtuEscapedMax bytes) and returns the escaped length.
// A length <= 0 or a null line gives 0. With `consumed`, tells how many input
// bytes the escaped text holds (fewer than `length` when the line was cut).
int DtuCmdEscape(const char *line, int length, char *out, int *consumed = nullptr);

// True when the whole line fits one command slot once escaped, i.e. the
// escape does not cut it.
bool DtuCmdLineFitsSlot(const char *line, int length);

// Cleans one received chunk: trims white space at both ends and removes one
// closing "OK" (any case) that stands on a line of its own, with the white
// space before it. `out` must hold
// length + 1 bytes; the result is NUL-terminated there. Returns the cleaned
// length (0 for an empty answer). The text ends at the first NUL byte.
int DtuCmdCleanAnswer(const char *data, int length, char *out);
