// The text side of the cloud platform calls: percent-encoding of the user
// name, the password's MD5 digest, and reading the platform's JSON answers
// (login token, device count, device list) with cJSON.
#pragma once

#include <string>
#include <vector>

// Bytes A-Z, a-z, 0-9 and "-._~" stay; every other byte becomes "%XY" with
// upper-case hex digits (a blank becomes "%20").
std::string UrlEncode(const std::string &text);

// MD5 of the bytes as 32 lower-case hex digits.
std::string Md5Hex(const std::string &text);

// Outcome of reading an answer.
enum platform_answer_result {
  PLATFORM_ANSWER_OK = 0,
  PLATFORM_ANSWER_NO_TEXT = -1,     // no answer text at all
  PLATFORM_ANSWER_BAD_JSON = -2,    // not a JSON document
  PLATFORM_ANSWER_MISSING = -3,     // the member the call needs is not there
};

// Login answer: the string member "access_token" at the top level.
int PlatformParseAccessToken(const char *text, size_t length, std::string *token);

// Device count answer: "total" inside the object "data", or at the top level
// when "data" is not an object; a number gives its integer value, a string
// its leading decimal digits. -1 when there is no text, it does not parse, or
// "total" is missing or of another type. Logs as the count lookup does.
int PlatformParseDeviceCount(const char *text);

// Device list answer: the "imei" of every element of the top-level array
// "rows" that has "imei" as a string, in array order.
int PlatformParseDeviceList(const char *text, size_t length, std::vector<std::string> *imeis);
