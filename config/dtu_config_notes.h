// What a load of the configuration file found, key by key, in the sections
// the record reads: which keys the file held, which it lacked, and which it
// held in a form that must not reach a device (a text with a control
// character, an integer that is not a whole number, a count out of its
// range). The record itself reads such values as it always has (as atoi
// does, a text left out); these notes let a caller that writes a device from
// the file tell a page the file does not hold, or holds unusably, from one it
// does.
#pragma once

#include <map>
#include <string>
#include <vector>

class DtuConfigNotes {
 public:
  struct Section {
    int held = 0;                       // keys the file held
    int filled = 0;                     // of those, keys with a value that is not empty
    std::vector<std::string> missing;   // keys it lacked, in reading order
    std::vector<std::string> unusable;  // "key: why", in reading order
  };

  void Held(const std::string &section, bool empty);
  void Missing(const std::string &section, const std::string &key);
  void Unusable(const std::string &section, const std::string &key, const std::string &why);

  // The notes of `section` (names compare without regard to case); all empty
  // for a section the load did not read.
  const Section &Of(const std::string &section) const;

 private:
  std::map<std::string, Section> sections_;  // by lower-case name
};

// Why an integer value read from the file cannot be used: "" when it is a
// whole decimal number (optional sign, digits) in int range.
std::string DtuConfigIntProblem(const std::string &text);
