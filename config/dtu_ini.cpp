#include "config/dtu_ini.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "config/dtu_file_io.h"

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string IndexKey(const std::string &section, const std::string &key) {
  std::string joined = DtuIniLower(section);
  joined.push_back('\0');
  joined += DtuIniLower(key);
  return joined;
}

// Splits a value line the way the lookup does: key and value of the first "="
// at a position above 0. False for anything that is not a value line.
bool SplitValueLine(const std::string &trimmed, std::string &key, std::string &value) {
  std::size_t eq = trimmed.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  key = DtuIniTrim(trimmed.substr(0, eq));
  value = DtuIniTrim(trimmed.substr(eq + 1));
  return true;
}

// Calls `visit` with each line of `text` without its LF (a CR stays; the trim
// removes it), starting at `pos`.
template <class Visit>
void ForEachLine(const std::string &text, Visit visit) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    if (!visit(pos, end)) return;
    pos = end + 1;
  }
}

// Reads one line of any length from `file` (without its LF, NUL bytes kept);
// false at the end.
bool ReadLine(FILE *file, std::string &line) {
  char *buffer = nullptr;
  std::size_t capacity = 0;
  ssize_t n = getline(&buffer, &capacity, file);
  if (n < 0) {
    std::free(buffer);
    return false;
  }
  std::size_t length = static_cast<std::size_t>(n);
  if (length > 0 && buffer[length - 1] == '\n') --length;
  line.assign(buffer, length);
  std::free(buffer);
  return true;
}

}  // namespace

std::string DtuIniTrim(const std::string &text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string DtuIniLower(const std::string &text) {
  std::string lower = text;
  for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool DtuIniHeaderName(const std::string &trimmed_line, std::string &name) {
  if (trimmed_line.size() < 2 || trimmed_line.front() != '[' || trimmed_line.back() != ']') return false;
  name = trimmed_line.substr(1, trimmed_line.size() - 2);
  return true;
}

void DtuIniIndex::Parse(const std::string &text) {
  values_.clear();
  bool in_section = false;
  std::string section;
  std::string key;
  std::string value;
  ForEachLine(text, [&](std::size_t begin, std::size_t end) {
    std::string trimmed = DtuIniTrim(text.substr(begin, end - begin));
    if (trimmed.empty()) return true;
    if (DtuIniHeaderName(trimmed, section)) {
      in_section = true;
      return true;
    }
    if (in_section && SplitValueLine(trimmed, key, value)) {
      values_.emplace(IndexKey(section, key), value);  // keeps the first occurrence
    }
    return true;
  });
}

bool DtuIniIndex::Load(const std::string &path) {
  std::string bytes;
  if (DtuReadWholeFile(path, bytes) != DtuFileRead::kOk) return false;
  Parse(bytes);
  return true;
}

bool DtuIniIndex::Find(const std::string &section, const std::string &key, std::string &out) const {
  auto found = values_.find(IndexKey(section, key));
  if (found == values_.end()) return false;
  out = found->second;
  return true;
}

bool DtuIniGetValue(const std::string &path, const std::string &section, const std::string &key,
                    std::string &out) {
  DtuIniIndex index;
  return index.Load(path) && index.Find(section, key, out);
}

bool DtuIniScanValue(FILE *file, const char *section, const char *key, std::string &out) {
  if (file == nullptr || section == nullptr || key == nullptr) return false;
  long remembered = std::ftell(file);
  std::rewind(file);
  const std::string wanted_section = DtuIniLower(section);
  const std::string wanted_key = DtuIniLower(key);
  bool inside = false;
  bool found = false;
  std::string line, name, line_key, value;
  while (!found && ReadLine(file, line)) {
    std::string trimmed = DtuIniTrim(line);
    if (trimmed.empty()) continue;
    if (DtuIniHeaderName(trimmed, name)) {
      inside = DtuIniLower(name) == wanted_section;
    } else if (inside && SplitValueLine(trimmed, line_key, value) && DtuIniLower(line_key) == wanted_key) {
      out = value;
      found = true;
    }
  }
  std::clearerr(file);
  if (remembered >= 0) std::fseek(file, remembered, SEEK_SET);
  return found;
}

std::string DtuIniForeignSections(const std::string &text,
                                  const std::function<bool(const std::string &section)> &owned) {
  std::string kept;
  std::string name;
  bool keeping = false;          // inside a section that is carried over
  std::size_t comments_from = std::string::npos;  // start of the comment run just before this line
  std::size_t block_start = 0;
  ForEachLine(text, [&](std::size_t begin, std::size_t end) {
    std::string trimmed = DtuIniTrim(text.substr(begin, end - begin));
    if (DtuIniHeaderName(trimmed, name)) {
      std::size_t header_start = comments_from != std::string::npos ? comments_from : begin;
      if (keeping) kept.append(text, block_start, header_start - block_start);
      keeping = !owned(name);
      block_start = header_start;
      comments_from = std::string::npos;
      return true;
    }
    bool comment = !trimmed.empty() && (trimmed[0] == '#' || trimmed[0] == ';');
    if (comment) {
      if (comments_from == std::string::npos) comments_from = begin;
    } else {
      comments_from = std::string::npos;
    }
    return true;
  });
  if (keeping) kept.append(text, block_start, std::string::npos);
  return kept;
}
