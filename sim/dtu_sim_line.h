// Parsing one command line the simulated device received, and the answer
// texts it sends back.
#pragma once

#include <string>

struct DtuSimCommand {
  enum Kind { kMalformed, kAt, kGet, kSet } kind = kMalformed;
  std::string key;       // as sent
  std::string argument;  // get: text after the key's '|'; set: unescaped payload
  bool has_argument = false;
};

// "AT+ZEVCFG=get|<key>[|<argument>]" or "AT+ZEVCFG=set|<key>[|<payload>]",
// with or without the line end; a bare "AT" is kAt.
DtuSimCommand DtuSimParseLine(const std::string &line);

// Undoes the tool's escaping: "[dec]" -> '|', "[comma]" -> ','.
std::string DtuSimUnescape(const std::string &payload);

std::string DtuSimKeyAnswer(const std::string &key, const std::string &value);  // "\r\n<key> : <value>\r\n\r\nOK\r\n"
std::string DtuSimOkAnswer();      // "\r\nOK\r\n"
std::string DtuSimErrorAnswer();   // "\r\nERROR\r\n"
