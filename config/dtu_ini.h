// The lookup rules of the configuration file, shared by DtuConfig and by any
// code that reads a value of its own from the same file (the platform
// settings, for one).
//
// Lines are trimmed of white space. "[name]" (first character "[", last "]")
// starts a section; the name is taken verbatim. Any other line with "=" after
// its first character is a value line: key before the first "=", value after
// it, both trimmed. Sections and keys compare without regard to case, the
// first matching line wins, and a section that occurs twice is searched in
// both places. CR LF and LF line ends both read.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>

// Leading and trailing white space (as isspace) removed.
std::string DtuIniTrim(const std::string &text);

// ASCII lower case, the case folding the lookup uses.
std::string DtuIniLower(const std::string &text);

// If the trimmed `line` is a section header, puts its name in `name`.
bool DtuIniHeaderName(const std::string &trimmed_line, std::string &name);

// The whole file parsed once: answers every lookup exactly as a scan of the
// file from its start would.
class DtuIniIndex {
 public:
  // Parses text already in memory.
  void Parse(const std::string &text);

  // Reads and parses the file; false when it cannot be opened or read (a
  // directory included).
  bool Load(const std::string &path);

  // First value of `key` in `section`; false (out unchanged) when absent.
  bool Find(const std::string &section, const std::string &key, std::string &out) const;

  std::size_t size() const { return values_.size(); }

 private:
  std::unordered_map<std::string, std::string> values_;  // "section\0key" (lower case) -> value
};

// One lookup on a file by path (parses the file; for many lookups keep a
// DtuIniIndex). False when the file cannot be read or the key is absent.
bool DtuIniGetValue(const std::string &path, const std::string &section, const std::string &key,
                    std::string &out);

// The lookup as a scan of an open file from its start; the file position is
// restored afterwards.
bool DtuIniScanValue(FILE *file, const char *section, const char *key, std::string &out);

// The parts of `text` that belong to sections for which `owned` is false, in
// their original order and byte for byte: each from its header line up to the
// next header line, except that comment lines ("#" or ";") right before a
// header travel with that header. Text before the first header is dropped.
std::string DtuIniForeignSections(const std::string &text,
                                  const std::function<bool(const std::string &section)> &owned);
