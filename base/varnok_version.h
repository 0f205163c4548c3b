// Version of the tool, shown by `varnokctl --version`.
#pragma once

extern const char *const kVarnokVersion;
