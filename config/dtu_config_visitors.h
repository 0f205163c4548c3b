// The two visitors of the section layout: one writes "key=value" lines, one
// reads values through a lookup (a scan of an open file or a parsed index).
#pragma once

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/dtu_printable.h"
#include "config/dtu_config_notes.h"
#include "config/dtu_fixed_text.h"

namespace dtu_config_layout {

// Integer text as atoi reads it (leading white space, optional sign, digits up
// to the first other character; nothing numeric gives 0), held to int range.
inline int AtoiValue(const std::string &text) {
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

class LineWriter {
 public:
  explicit LineWriter(std::string &out, const char *line_end) : out_(out), line_end_(line_end) {}

  void Begin(const std::string &name) { Line("[" + name + "]"); }
  void End() { Line(""); }
  void Comment(const std::string &text) { Line(text); }
  void Int(const std::string &key, int value) { Line(key + "=" + std::to_string(value)); }
  void Count(const std::string &key, int value, int, int) { Int(key, value); }
  // A value is one line: a line break in it (page input) would otherwise
  // start lines, even sections, of its own; it ends the value instead.
  template <std::size_t N>
  void Text(const std::string &key, const DtuFixedText<N> &value) {
    const std::string text = value.str();
    Line(key + "=" + text.substr(0, text.find_first_of("\r\n")));
  }
  template <std::size_t N>
  void OptionalText(const std::string &key, const DtuFixedText<N> &value) {
    if (!value.empty()) Text(key, value);
  }

 private:
  void Line(const std::string &text) {
    out_ += text;
    out_ += line_end_;
  }
  std::string &out_;
  const char *line_end_;
};

// Lookup(section, key, out) -> found
using Lookup = std::function<bool(const std::string &, const std::string &, std::string &)>;

class ValueReader {
 public:
  explicit ValueReader(Lookup lookup) : lookup_(std::move(lookup)) {}

  void Begin(const std::string &name) { section_ = name; }
  void End() {}
  void Comment(const std::string &) {}
  // Not found: the field keeps its value. An empty value holds no number:
  // noted as missing.
  void Int(const std::string &key, int &field) { Count(key, field, INT_MIN, INT_MAX); }
  // A count: as Int, and a value outside low..high is noted as unusable.
  void Count(const std::string &key, int &field, int low, int high) {
    std::string text;
    if (!Find(key, text, true)) return;
    field = AtoiValue(text);
    std::string problem = DtuConfigIntProblem(text);
    if (problem.empty() && (field < low || field > high)) {
      problem = std::to_string(field) + " outside " + std::to_string(low) + ".." + std::to_string(high);
    }
    if (!problem.empty()) notes_.Unusable(section_, key, problem);
  }
  // Not found: the field becomes empty. Too long: cut at the capacity.
  // Holding a control character (a lone CR, a tab, ESC, NUL, ...): left out,
  // so it can never become a second command line on its way to the device;
  // LeftOut() names it.
  template <std::size_t N>
  void Text(const std::string &key, DtuFixedText<N> &field) {
    ReadText(key, field, true);
  }
  // A key that is not written while empty: never missing.
  template <std::size_t N>
  void OptionalText(const std::string &key, DtuFixedText<N> &field) {
    ReadText(key, field, false);
  }

  // "SECTION/key" of every text left out, in reading order.
  const std::vector<std::string> &LeftOut() const { return left_out_; }
  const DtuConfigNotes &Notes() const { return notes_; }

 private:
  // Looks the key up and notes what was found: an empty value counts as
  // found only for a text.
  bool Find(const std::string &key, std::string &text, bool is_int, bool required = true) {
    const bool found = lookup_(section_, key, text) && !(is_int && text.empty());
    if (found) notes_.Held(section_, text.empty());
    else if (required) notes_.Missing(section_, key);
    return found;
  }
  template <std::size_t N>
  void ReadText(const std::string &key, DtuFixedText<N> &field, bool required) {
    std::string text;
    if (!Find(key, text, false, required)) text.clear();
    if (DtuHasControlCharacter(text)) {
      left_out_.push_back(section_ + "/" + key);
      notes_.Unusable(section_, key, "holds a control character");
      text.clear();
    }
    field = text;
  }

  Lookup lookup_;
  std::string section_;
  std::vector<std::string> left_out_;
  DtuConfigNotes notes_;
};

}  // namespace dtu_config_layout
