// Text that came from outside (a device, the platform, a file) made safe to
// show or to send on: control characters are what let a value become a
// second command line or a device rewrite the user's terminal.
#pragma once

#include <string>

// True for the bytes below 0x20 and 0x7F (CR, LF, tab, ESC, NUL, DEL, ...).
inline bool DtuIsControlByte(unsigned char c) { return c < 0x20 || c == 0x7f; }

// True when the text holds at least one control byte.
bool DtuHasControlCharacter(const std::string &text);

// The text with every control byte written as an escape: "\r", "\n", "\t",
// else "\x1b" style. With `keep_line_breaks`, CR LF and LF stay as they are
// and only the other control bytes (a lone CR among them) are escaped.
std::string DtuEscapeControl(const std::string &text, bool keep_line_breaks = false);

// The text with every byte that does not belong to well-formed UTF-8 written
// as "\xff" style, so that a device's text in another encoding can be put
// into JSON (which must be UTF-8) without losing what the byte was.
std::string DtuEscapeInvalidUtf8(const std::string &text);
