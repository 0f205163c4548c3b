#include "config/dtu_config_keys.h"

#include <strings.h>

#include <cstdlib>
#include <type_traits>
#include <utility>

#include "config/dtu_config_layout.h"

namespace {

bool Same(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Walks the layout to one key and reads it, or writes `value` into it.
class KeyVisitor {
 public:
  KeyVisitor(std::string section, std::string key, std::string *value)
      : section_(std::move(section)), key_(std::move(key)), value_(value) {}

  void Begin(const std::string &name) { in_section_ = Same(name, section_); }
  void End() { in_section_ = false; }
  void Comment(const std::string &) {}
  template <class Field>
  void Int(const std::string &key, Field &field) {
    if (!Hit(key)) return;
    if constexpr (std::is_const_v<Field>) *value_ = std::to_string(field);
    else field = std::atoi(value_->c_str());
  }
  template <class Field>
  void Count(const std::string &key, Field &field, int, int) {
    Int(key, field);
  }
  template <class Field>
  void Text(const std::string &key, Field &field) {
    if (!Hit(key)) return;
    if constexpr (std::is_const_v<Field>) *value_ = field.str();
    else field = *value_;
  }
  template <class Field>
  void OptionalText(const std::string &key, Field &field) {
    Text(key, field);
  }
  bool Found() const { return found_; }

 private:
  bool Hit(const std::string &key) {
    if (found_ || !in_section_ || !Same(key, key_)) return false;
    found_ = true;
    return true;
  }

  std::string section_, key_;
  std::string *value_;
  bool in_section_ = false;
  bool found_ = false;
};

}  // namespace

bool DtuConfigGet(const DtuConfig &config, const std::string &section, const std::string &key, std::string &value) {
  KeyVisitor visitor(section, key, &value);
  dtu_config_layout::All(config, visitor);
  return visitor.Found();
}

bool DtuConfigPut(DtuConfig &config, const std::string &section, const std::string &key, const std::string &value) {
  std::string copy = value;
  KeyVisitor visitor(section, key, &copy);
  dtu_config_layout::All(config, visitor);
  return visitor.Found();
}
