#include "remote/openssl_calls.h"

#include <dlfcn.h>


#include "base/dtu_log.h"

namespace {

const char kLibrary[] = "libssl.so.3";

// False with the missing name in `missing`. The handle's own scope holds
// libcrypto too, which libssl depends on.
bool Resolve(void *handle, OpenSslCalls &calls, const char *&missing) {
#define VARNOK_OPENSSL_RESOLVE(name)                                                     \
  calls.name = reinterpret_cast<decltype(calls.name)>(dlsym(handle, #name));             \
  if (calls.name == nullptr) return missing = #name, false;
  VARNOK_OPENSSL_CALLS(VARNOK_OPENSSL_RESOLVE)
#undef VARNOK_OPENSSL_RESOLVE
  return true;
}

const OpenSslCalls *Load() {
  void *handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    DTU_LOG("cannot load %s: %s.", kLibrary, dlerror());
    return nullptr;
  }
  static OpenSslCalls calls;
  const char *missing = "";
  if (!Resolve(handle, calls, missing)) {
    DTU_LOG("%s has no %s.", kLibrary, missing);
    return nullptr;
  }
  return &calls;  // the library stays loaded for the process's life
}

}  // namespace

const OpenSslCalls *OpenSsl() {
  static const OpenSslCalls *const loaded = Load();
  return loaded;
}
