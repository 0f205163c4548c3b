// A text field of fixed capacity, as the configuration record stores it.
//
// Whatever is assigned (a hand-edited file, a page's input) is cut at the
// capacity, never stored beyond it; the cut falls on a UTF-8 character
// boundary so a multi-byte character is never split in half.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

// Length of the longest prefix of text[0..length) that fits `capacity` bytes
// and does not end inside a UTF-8 multi-byte sequence.
std::size_t DtuUtf8CutLength(const char *text, std::size_t length, std::size_t capacity);

template <std::size_t Capacity>
class DtuFixedText {
 public:
  static constexpr std::size_t kCapacity = Capacity;

  DtuFixedText() = default;
  DtuFixedText(const std::string &text) { Assign(text.data(), text.size()); }  // NOLINT: implicit on purpose
  DtuFixedText(const char *text) { Assign(text, text ? std::strlen(text) : 0); }  // NOLINT

  DtuFixedText &operator=(const std::string &text) {
    Assign(text.data(), text.size());
    return *this;
  }
  DtuFixedText &operator=(const char *text) {
    Assign(text, text ? std::strlen(text) : 0);
    return *this;
  }

  // Stores at most kCapacity bytes of text; returns false when it had to cut.
  bool Assign(const char *text, std::size_t length) {
    std::size_t kept = DtuUtf8CutLength(text, length, Capacity);
    if (text != nullptr && kept > 0) std::memcpy(chars_, text, kept);
    chars_[kept] = '\0';
    length_ = kept;
    return kept == length;
  }

  const char *c_str() const { return chars_; }
  std::string str() const { return std::string(chars_, length_); }
  operator std::string() const { return str(); }  // NOLINT: reads like a plain string
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  void clear() { Assign("", 0); }

  bool operator==(const std::string &other) const {
    return other.size() == length_ && other.compare(0, length_, chars_, length_) == 0;
  }
  bool operator!=(const std::string &other) const { return !(*this == other); }
  bool operator==(const char *other) const { return other != nullptr && str() == other; }
  bool operator!=(const char *other) const { return !(*this == other); }
  bool operator==(const DtuFixedText &other) const { return str() == other.str(); }
  bool operator!=(const DtuFixedText &other) const { return !(*this == other); }

 private:
  char chars_[Capacity + 1] = {};
  std::size_t length_ = 0;
};
