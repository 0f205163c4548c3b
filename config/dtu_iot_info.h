// The [iotInfo] section of the configuration file: the cloud platform account
// of the virtual serial page. These routines read and change only that
// section and keep every other byte of the file.
//
// The section is written with a blank on each side of "=", CR LF line ends:
//   [iotInfo]
//   username = ...
//   password = ...
//   productKey = ...
//   productSecret = ...
#pragma once

#include <functional>
#include <string>

// Called for every key line: (section, key, value). A non-zero return is
// success; the reader goes on either way.
using DtuIniLineHandler =
    std::function<int(const std::string &section, const std::string &key, const std::string &value)>;

// The section reader of the [iotInfo] routines (see dtu_iot_info.cpp for its
// rules: 199-character pieces, BOM, ";"/"#" comments, continuation lines).
// Returns 0 when the text was read; syntax errors change nothing.
int DtuIniParseText(const std::string &text, const DtuIniLineHandler &handler);

// Same on a file; -1 when it cannot be opened.
int DtuIniParseFile(const std::string &path, const DtuIniLineHandler &handler);

// The four account texts and which keys the file held.
struct DtuIotInfo {
  std::string username;
  std::string password;
  std::string productKey;
  std::string productSecret;
  bool usernameSeen = false;
  bool passwordSeen = false;
  bool productKeySeen = false;
  bool productSecretSeen = false;

  bool AllSeen() const { return usernameSeen && passwordSeen && productKeySeen && productSecretSeen; }
};

// The prompt a field holds until the user types a value (also the default in
// the file); `english` picks the column.
const char *iotInfoPrompt(const std::string &key, bool english);

// Section "iotInfo" (case-sensitive) and the keys "username", "password",
// "productKey", "productSecret" fill `info`; anything else is ignored.
int iotInfoHandler(DtuIotInfo &info, const std::string &section, const std::string &key,
                   const std::string &value);

// Reads [iotInfo] from the file; false when the file cannot be opened.
bool iotInfoLoad(const std::string &path, DtuIotInfo &info);

// Adds what is missing: the whole section with the prompts (in the current
// language) when the file or its [iotInfo] is missing, else one prompt line
// per key that `seen` did not see. False when the file could not be written.
bool iotInfoWriteDefaults(const std::string &path, const DtuIotInfo &seen);

// Writes the four values into [iotInfo], changing only those key lines (a
// missing one is added at the end of the section). False when the file could
// not be written.
bool iotInfoSave(const std::string &path, const std::string &username, const std::string &password,
                 const std::string &productKey, const std::string &productSecret);

// In a section body: replaces the line of `key` by "key = value" (its line
// end stays), or appends that line when the body has none.
void iotInfoReplaceKey(std::string &body, const std::string &key, const std::string &value);
