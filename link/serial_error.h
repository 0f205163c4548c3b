// Error codes of the serial driver and their texts.
#pragma once

enum DtuSerialError {
  kSerialUnknownError = -1,
  kSerialSuccess = 0,
  kSerialGeneralError = 1,
  kSerialNotImplemented = 2,
  kSerialInnerError = 3,
  kSerialNullPointer = 4,
  kSerialInvalidParam = 5,
  kSerialAccessDenied = 6,
  kSerialOutOfMemory = 7,
  kSerialTimeout = 8,
  kSerialNotInit = 9,
  kSerialInitFailed = 10,
  kSerialAlreadyExist = 11,
  kSerialNotExist = 12,
  kSerialAlreadyOpen = 13,
  kSerialNotOpen = 14,
  kSerialOpenFailed = 15,
  kSerialCloseFailed = 16,
  kSerialWriteFailed = 17,
  kSerialReadFailed = 18,
};

// "success", "not exist error", ...; "undefined error code" for any other code.
const char *DtuSerialErrorText(int code);
