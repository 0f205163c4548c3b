// The simulated device's DL/T 645 settings: what it accepts for the meter
// switch, channel count, meter channel records, forwarding rules and rule
// items, and the canonical form in which it keeps and reports them. The
// store keeps one record per channel (and per rule item); these functions
// decide whether a `set` payload is valid and what is kept.
#pragma once

#include <optional>
#include <string>

// True for the keys this file owns.
bool DtuSimIsDlt645Key(const std::string &lower_key);

// The value kept for a `set` of a DL/T 645 key, or nothing when the device
// refuses it (it then answers ERROR). `channel` and `item` receive the place
// of a record (item 0 for keys without items).
std::optional<std::string> DtuSimDlt645Accept(const std::string &lower_key, const std::string &payload,
                                              int *channel, int *item);

// The channel (and item) a `get` argument selects: "ch:%d" for a rule,
// "ch:%d/paramId:%d" for an item. False when it selects nothing valid.
bool DtuSimDlt645Select(const std::string &lower_key, const std::string &argument, int *channel, int *item);
