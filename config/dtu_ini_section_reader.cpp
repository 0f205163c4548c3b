// The section reader of the [iotInfo] routines. Its rules differ from the
// DtuConfig lookup and are kept as they are, since files in the field rely on
// them:
// - a line is read in pieces of at most 199 characters; the rest of a longer
//   line is read and discarded;
// - a UTF-8 byte order mark at the start of the first line is skipped; every
//   line is trimmed of white space;
// - empty lines are skipped; a line that begins with ";" or "#" is a comment;
// - "[name]" opens a section (name cut to 49 characters); "[" without "]" is
//   skipped;
// - otherwise the first "=" or ":" splits key and value, both trimmed; in the
//   value, ";" after white space starts a comment; the key is cut to 49
//   characters; a line without "=" or ":" is skipped;
// - an indented line after a key line of the same section continues that key:
//   it goes to the handler as another value of the same key.
#include <cctype>

#include "config/dtu_file_io.h"
#include "config/dtu_iot_info.h"

namespace {

constexpr std::size_t kMaxPiece = 199;
constexpr std::size_t kMaxName = 49;

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Next line of `text` from `pos`: at most kMaxPiece characters (with its LF
// when that fits); the rest of a longer line is skipped.
bool NextPiece(const std::string &text, std::size_t &pos, std::string &piece) {
  if (pos >= text.size()) return false;
  std::size_t window = std::min(kMaxPiece, text.size() - pos);
  std::size_t lf = text.find('\n', pos);
  if (lf != std::string::npos && lf < pos + window) {
    piece = text.substr(pos, lf + 1 - pos);
    pos = lf + 1;
    return true;
  }
  piece = text.substr(pos, window);
  pos += window;
  if (window == kMaxPiece && pos < text.size()) {
    pos = (lf == std::string::npos) ? text.size() : lf + 1;
  }
  return true;
}

std::string RightTrimmed(const std::string &text) {
  std::size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  return text.substr(0, end);
}

// The value without its inline comment (";" after white space), trimmed.
std::string ValueOf(const std::string &raw) {
  std::size_t end = raw.size();
  for (std::size_t i = 1; i < raw.size(); ++i) {
    if (raw[i] == ';' && IsSpace(raw[i - 1])) {
      end = i;
      break;
    }
  }
  std::string value = RightTrimmed(raw.substr(0, end));
  std::size_t begin = 0;
  while (begin < value.size() && IsSpace(value[begin])) ++begin;
  return value.substr(begin);
}

}  // namespace

int DtuIniParseText(const std::string &text, const DtuIniLineHandler &handler) {
  std::string section;
  std::string previous_key;  // key of the last key line, for continuation lines
  std::string piece;
  std::size_t pos = 0;
  bool first = true;
  while (NextPiece(text, pos, piece)) {
    std::size_t nul = piece.find('\0');
    if (nul != std::string::npos) piece.resize(nul);
    if (first && piece.compare(0, 3, "\xEF\xBB\xBF") == 0) piece.erase(0, 3);
    first = false;
    std::string line = RightTrimmed(piece);
    std::size_t lead = 0;
    while (lead < line.size() && IsSpace(line[lead])) ++lead;
    line.erase(0, lead);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (lead > 0 && !previous_key.empty()) {
      handler(section, previous_key, ValueOf(line));
      continue;
    }
    if (line[0] == '[') {
      std::size_t close = line.find(']', 1);
      if (close == std::string::npos) continue;
      section = line.substr(1, std::min(close - 1, kMaxName));
      previous_key.clear();
      continue;
    }
    std::size_t split = line.find_first_of("=:");
    if (split == std::string::npos) continue;
    previous_key = RightTrimmed(line.substr(0, split)).substr(0, kMaxName);
    handler(section, previous_key, ValueOf(line.substr(split + 1)));
  }
  return 0;
}

int DtuIniParseFile(const std::string &path, const DtuIniLineHandler &handler) {
  std::string bytes;
  if (DtuReadWholeFile(path, bytes) != DtuFileRead::kOk) return -1;
  return DtuIniParseText(bytes, handler);
}
