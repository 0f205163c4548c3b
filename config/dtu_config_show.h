// A readable account of a configuration file as the tool will use it: every
// key of every section the record owns with the value a load gives it (and a
// note where that differs from what the file says), then the [iotInfo]
// account as the remote page reads it, then the sections kept as written.
// For checking a hand-edited profile before writing it to devices.
#pragma once

#include <string>

// False (with the loader's message) when the file cannot be opened.
bool DtuConfigShow(const std::string &path, std::string &out);
