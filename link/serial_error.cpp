#include "link/serial_error.h"

const char *DtuSerialErrorText(int code) {
  static const char *const kTexts[] = {
      "unknown error",          // -1
      "success",                // 0
      "general error",          // 1
      "not implemented error",  // 2
      "innet error",            // 3
      "null pointer error",     // 4
      "invalid param error",    // 5
      "access denied error",    // 6
      "out of memory error",    // 7
      "timeout error",          // 8
      "not init error",         // 9
      "init failed error",      // 10
      "already exist error",    // 11
      "not exist error",        // 12
      "already open error",     // 13
      "not open error",         // 14
      "open failed error",      // 15
      "close failed error",     // 16
      "write failed error",     // 17
      "read failed error",      // 18
  };
  if (code < -1 || code > 18) return "undefined error code";
  return kTexts[code + 1];
}
