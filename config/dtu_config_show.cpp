#include "config/dtu_config_show.h"

#include "base/dtu_printable.h"
#include "config/dtu_config.h"
#include "config/dtu_config_layout.h"
#include "config/dtu_config_visitors.h"
#include "config/dtu_file_io.h"
#include "config/dtu_ini.h"
#include "config/dtu_iot_info.h"

namespace {

// Reads like LoadFromFile and prints each key as it went.
class ShowVisitor {
 public:
  ShowVisitor(const DtuIniIndex &index, std::string &out) : index_(index), out_(out) {}

  void Begin(const std::string &name) {
    section_ = name;
    out_ += "[" + name + "]\n";
  }
  void End() { out_ += "\n"; }
  void Comment(const std::string &) {}
  void Int(const std::string &key, int &field) {
    std::string text;
    if (!index_.Find(section_, key, text)) {
      Line(key, std::to_string(field), "not in the file");
      return;
    }
    field = dtu_config_layout::AtoiValue(text);
    std::string note;
    if (text.empty()) {
      note = "empty in the file";
    } else if (std::to_string(field) != text) {
      note = "the file says \"" + DtuEscapeControl(text) + "\"";
    }
    Line(key, std::to_string(field), note);
  }
  void Count(const std::string &key, int &field, int, int) { Int(key, field); }
  template <std::size_t N>
  void Text(const std::string &key, DtuFixedText<N> &field) {
    std::string text;
    bool found = index_.Find(section_, key, text);
    field = found ? text : std::string();
    std::string note;
    if (!found) note = "not in the file";
    if (found && field.size() != text.size()) {
      note = "cut to " + std::to_string(field.size()) + " of " + std::to_string(text.size()) + " bytes";
    }
    Line(key, field.str(), note);
  }
  template <std::size_t N>
  void OptionalText(const std::string &key, DtuFixedText<N> &field) {
    std::string text;
    if (index_.Find(section_, key, text)) Text(key, field);
  }

 private:
  void Line(const std::string &key, const std::string &value, const std::string &note) {
    out_ += key + "=" + DtuEscapeControl(value);
    if (!note.empty()) out_ += "    # " + note;
    out_ += "\n";
  }
  const DtuIniIndex &index_;
  std::string &out_;
  std::string section_;
};

void ShowIotInfo(const std::string &path, std::string &out) {
  DtuIotInfo info;
  if (!iotInfoLoad(path, info)) return;
  const struct {
    const char *key;
    const std::string &value;
    bool seen;
  } keys[] = {{"username", info.username, info.usernameSeen},
              {"password", info.password, info.passwordSeen},
              {"productKey", info.productKey, info.productKeySeen},
              {"productSecret", info.productSecret, info.productSecretSeen}};
  out += "[iotInfo]\n";
  for (const auto &k : keys) {
    out += std::string(k.key) + " = " + (k.seen ? DtuEscapeControl(k.value) : "") + (k.seen ? "" : "    # not in the file") + "\n";
  }
  out += "\n";
}

}  // namespace

bool DtuConfigShow(const std::string &path, std::string &out) {
  DtuConfig probe;
  if (!probe.LoadFromFile(path)) return false;  // shows the message with the path
  std::string bytes;
  DtuReadWholeFile(path, bytes);
  DtuIniIndex index;
  index.Parse(bytes);
  DtuConfig shown;
  ShowVisitor visitor(index, out);
  out = "# " + path + ": the values the tool will use\n\n";
  dtu_config_layout::All(shown, visitor);
  ShowIotInfo(path, out);
  std::string kept = DtuIniForeignSections(bytes, [](const std::string &section) {
    return DtuConfig::IsOwnedSection(section) || section == "iotInfo";  // [iotInfo] is shown above
  });
  if (!kept.empty()) {
    out += "# kept as written:\n" + DtuEscapeControl(kept, true);
    if (kept.back() != '\n') out += "\n";
  }
  return true;
}
