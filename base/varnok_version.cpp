// Version of the core library, shown by varnokctl --version.
extern const char *const kVarnokVersion;
const char *const kVarnokVersion = "1.0";
