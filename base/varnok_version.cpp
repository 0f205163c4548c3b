#include "base/varnok_version.h"

const char *const kVarnokVersion = "1.0";
