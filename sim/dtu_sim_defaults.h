// Factory settings of the simulated device.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// Every plain key with its factory value, in the device's key-table order.
const std::vector<std::pair<const char *, const char *>> &DtuSimPlainDefaults();
// Keys a `set` may not change.
const std::vector<const char *> &DtuSimReadOnlyKeys();
// Keys whose `get` takes an argument that selects a channel (or item).
const std::vector<const char *> &DtuSimChannelKeys();
// The payload a fresh device holds for one channel (and rule item).
std::string DtuSimChannelDefault(const std::string &key, int channel, int item);
