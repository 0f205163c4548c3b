#include "config/dtu_iot_info.h"

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "config/dtu_file_io.h"

namespace {

const char *const kSectionHeader = "[iotInfo]";
const char *const kKeys[] = {"username", "password", "productKey", "productSecret"};

struct Prompt {
  const char *key;
  const char *chinese;
  const char *english;
};

const Prompt kPrompts[] = {
    {"username", "请输入设备云平台账号", "Please enter device platform account"},
    {"password", "请输入设备云平台密码", "Please enter device platform password"},
    {"productKey", "请输入产品productKey", "Please enter productKey"},
    {"productSecret", "请输入产品productSecret", "Please enter productSecret"},
};

bool CurrentLanguageIsEnglish() { return DtuLangFlag.load() == 1; }

// A value goes on one line: anything from a line break on would otherwise
// become lines (or sections) of its own.
std::string SingleLine(const std::string &value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

std::string KeyLine(const std::string &key, const std::string &value) {
  return key + " = " + SingleLine(value) + "\r\n";
}

std::string DefaultSection() {
  std::string text = std::string("\r\n") + kSectionHeader + "\r\n";
  for (const char *key : kKeys) text += KeyLine(key, iotInfoPrompt(key, CurrentLanguageIsEnglish()));
  return text;
}

// Where the [iotInfo] body runs in `text`: from the line after the header to
// the line before the next line that begins with "[" (or the end).
bool FindBody(const std::string &text, std::size_t &begin, std::size_t &end) {
  std::size_t header = text.find(kSectionHeader);
  if (header == std::string::npos) return false;
  std::size_t lf = text.find('\n', header);
  begin = (lf == std::string::npos) ? text.size() : lf + 1;
  if (begin < text.size() && text[begin] == '[') {
    end = begin;
    return true;
  }
  std::size_t next = text.find("\n[", begin);
  end = (next == std::string::npos) ? text.size() : next + 1;
  return true;
}

// Position of the line of `key` in `body`: the key at the start of a line
// (blanks before it allowed) and followed by a blank, "=" or ":".
std::size_t FindKeyLine(const std::string &body, const std::string &key) {
  std::size_t line = 0;
  while (line < body.size()) {
    std::size_t at = line;
    while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) ++at;
    if (body.compare(at, key.size(), key) == 0) {
      std::size_t after = at + key.size();
      if (after < body.size() && (body[after] == ' ' || body[after] == '\t' || body[after] == '=' ||
                                  body[after] == ':')) {
        return at;
      }
    }
    std::size_t lf = body.find('\n', line);
    if (lf == std::string::npos) break;
    line = lf + 1;
  }
  return std::string::npos;
}

bool WriteOrLog(const std::string &path, const std::string &bytes) {
  if (DtuWriteFileAtomically(path, bytes)) return true;
  DTU_LOG("cannot write iotInfo to %s.", path.c_str());
  return false;
}

}  // namespace

const char *iotInfoPrompt(const std::string &key, bool english) {
  for (const Prompt &prompt : kPrompts) {
    if (key == prompt.key) return english ? prompt.english : prompt.chinese;
  }
  return "";
}

int iotInfoHandler(DtuIotInfo &info, const std::string &section, const std::string &key,
                   const std::string &value) {
  if (section != "iotInfo") return 1;
  if (key == "username") {
    info.username = value;
    info.usernameSeen = true;
  } else if (key == "password") {
    info.password = value;
    info.passwordSeen = true;
  } else if (key == "productKey") {
    info.productKey = value;
    info.productKeySeen = true;
  } else if (key == "productSecret") {
    info.productSecret = value;
    info.productSecretSeen = true;
  }
  return 1;
}

bool iotInfoLoad(const std::string &path, DtuIotInfo &info) {
  return DtuIniParseFile(path, [&info](const std::string &section, const std::string &key, const std::string &value) {
           return iotInfoHandler(info, section, key, value);
         }) == 0;
}

bool iotInfoWriteDefaults(const std::string &path, const DtuIotInfo &seen) {
  std::string bytes;
  DtuFileRead read = DtuReadWholeFile(path, bytes);
  if (read == DtuFileRead::kFailed) {
    DTU_LOG("cannot read %s; not overwriting it.", path.c_str());
    return false;
  }
  std::size_t begin = 0, end = 0;
  if (read == DtuFileRead::kMissing || !FindBody(bytes, begin, end)) {
    return WriteOrLog(path, bytes + DefaultSection());
  }
  const bool english = CurrentLanguageIsEnglish();
  const bool seen_flags[] = {seen.usernameSeen, seen.passwordSeen, seen.productKeySeen, seen.productSecretSeen};
  std::string missing;
  for (int i = 0; i < 4; ++i) {
    if (!seen_flags[i]) missing += KeyLine(kKeys[i], iotInfoPrompt(kKeys[i], english));
  }
  if (missing.empty()) return true;
  // At the end of the section body: the end of the file when [iotInfo] is the
  // last section, and still inside the section when another one follows it.
  bytes.insert(end, "\r\n" + missing);
  return WriteOrLog(path, bytes);
}

bool iotInfoSave(const std::string &path, const std::string &username, const std::string &password,
                 const std::string &productKey, const std::string &productSecret) {
  std::string bytes;
  DtuFileRead read = DtuReadWholeFile(path, bytes);
  if (read == DtuFileRead::kFailed) {
    DTU_LOG("cannot read %s; not overwriting it.", path.c_str());
    return false;
  }
  const std::string values[] = {username, password, productKey, productSecret};
  std::size_t begin = 0, end = 0;
  if (read == DtuFileRead::kMissing || !FindBody(bytes, begin, end)) {
    std::string section = std::string(read == DtuFileRead::kMissing ? "" : "\r\n") + kSectionHeader + "\r\n";
    for (int i = 0; i < 4; ++i) section += KeyLine(kKeys[i], values[i]);
    return WriteOrLog(path, bytes + section);
  }
  std::string body = bytes.substr(begin, end - begin);
  for (int i = 0; i < 4; ++i) iotInfoReplaceKey(body, kKeys[i], values[i]);
  return WriteOrLog(path, bytes.substr(0, begin) + body + bytes.substr(end));
}

void iotInfoReplaceKey(std::string &body, const std::string &key, const std::string &value) {
  std::size_t at = FindKeyLine(body, key);
  if (at == std::string::npos) {
    if (!body.empty() && body.back() != '\n') body += "\r\n";
    body += KeyLine(key, value);
    return;
  }
  std::size_t line_end = body.find('\n', at);
  if (line_end == std::string::npos) {
    line_end = body.size();
    if (line_end > at && body[line_end - 1] == '\r') --line_end;
  } else if (line_end > at && body[line_end - 1] == '\r') {
    --line_end;
  }
  body.replace(at, line_end - at, key + " = " + SingleLine(value));
}
