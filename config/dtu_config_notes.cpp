#include "config/dtu_config_notes.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/dtu_printable.h"
#include "config/dtu_ini.h"

void DtuConfigNotes::Held(const std::string &section, bool empty) {
  Section &notes = sections_[DtuIniLower(section)];
  ++notes.held;
  if (!empty) ++notes.filled;
}

void DtuConfigNotes::Missing(const std::string &section, const std::string &key) {
  sections_[DtuIniLower(section)].missing.push_back(key);
}

void DtuConfigNotes::Unusable(const std::string &section, const std::string &key, const std::string &why) {
  sections_[DtuIniLower(section)].unusable.push_back(key + ": " + why);
}

const DtuConfigNotes::Section &DtuConfigNotes::Of(const std::string &section) const {
  static const Section kNone;
  const auto found = sections_.find(DtuIniLower(section));
  return found == sections_.end() ? kNone : found->second;
}

std::string DtuConfigIntProblem(const std::string &text) {
  if (text.empty()) return "empty";
  const std::size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
  bool whole = text.size() > digits;
  for (std::size_t i = digits; i < text.size() && whole; ++i) {
    whole = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
  }
  if (!whole) return "not a number: \"" + DtuEscapeControl(text) + "\"";
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return "out of range: " + text;
  return "";
}
