// The simulated device's business packets: the login, heartbeat, data and
// header packets ("bhu-login", ...) and the field layouts of the visual editor
// ("bhu-hex-heart-cfg", ...).
//
// A packet is stored as the tool sent it. A hexadecimal packet (data type 1)
// is answered as the device holds it: the bytes themselves, with the length
// field counting bytes, wildcards kept as text. Switching a packet off keeps
// its content, as a device that only clears its switch would.
#pragma once

#include <optional>
#include <string>

// True for the business packet keys (lower case).
bool DtuSimIsBhuKey(const std::string &lower_key);

// The value to store after a `set` of `payload` over `stored`, or nothing
// when the payload is malformed (the device answers ERROR): bad digits, a
// length field that does not count the content, a hexadecimal content that
// is not hexadecimal, a layout whose records do not match its field count.
std::optional<std::string> DtuSimBhuSet(const std::string &lower_key, const std::string &stored,
                                        const std::string &payload);

// The value the device's answer line carries for what is stored.
std::string DtuSimBhuAnswer(const std::string &lower_key, const std::string &stored);
