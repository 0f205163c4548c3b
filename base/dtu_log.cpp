#include "base/dtu_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex &LogMutex() {
  static std::mutex m;
  return m;
}

std::string &LogPath() {
  static std::string path = "./log.txt";
  return path;
}

// Index of the '(' that opens the parameter list: the first '(' at template
// depth 0 that follows a name (skips "(anonymous namespace)" and operator()).
size_t ParameterListStart(const std::string &sig) {
  int depth = 0;
  for (size_t i = 0; i < sig.size(); ++i) {
    char c = sig[i];
    if (c == '<') ++depth;
    else if (c == '>') --depth;
    else if (c == '(' && depth == 0) {
      if (sig.compare(i, 21, "(anonymous namespace)") == 0) {
        i += 20;
        continue;
      }
      if (i >= 8 && sig.compare(i - 8, 8, "operator") == 0 && sig.compare(i, 2, "()") == 0) {
        i += 1;
        continue;
      }
      return i;
    }
  }
  return std::string::npos;
}

// Opens the log for appending. A new log is readable by its owner only: it
// records what the tool did with devices and the platform.
FILE *OpenForAppend(const std::string &path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  FILE *file = ::fdopen(fd, "a");
  if (file == nullptr) ::close(fd);
  return file;
}

// Said once per run and on standard error, so it never mixes into what a
// command prints on standard output.
void ReportOpenFailure(const std::string &path) {
  static bool reported = false;
  if (reported) return;
  reported = true;
  std::fprintf(stderr, "\nopen %s error!\n", path.c_str());
}

}  // namespace

std::string DtuQualifiedFunctionName(const char *pretty_function) {
  if (pretty_function == nullptr) return std::string();
  std::string sig(pretty_function);
  size_t open = ParameterListStart(sig);
  std::string head = open == std::string::npos ? sig : sig.substr(0, open);
  // The name starts after the last space at template depth 0 (return type ends there).
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < head.size(); ++i) {
    char c = head[i];
    if (c == '<') ++depth;
    else if (c == '>') --depth;
    else if (c == ' ' && depth == 0) start = i + 1;
  }
  std::string name = head.substr(start);
  while (!name.empty() && (name[0] == '*' || name[0] == '&')) name.erase(0, 1);
  return name;
}

void DtuLogSetPath(const std::string &path) {
  std::lock_guard<std::mutex> lock(LogMutex());
  LogPath() = path;
}

std::string DtuLogGetPath() {
  std::lock_guard<std::mutex> lock(LogMutex());
  return LogPath();
}

void DtuLogWrite(const char *func, int line, const char *fmt, ...) {
  std::lock_guard<std::mutex> lock(LogMutex());
  const std::string &path = LogPath();
  FILE *file = OpenForAppend(path);
  if (file == nullptr) {
    ReportOpenFailure(path);
    return;
  }
  std::fprintf(file, "[%s,%d]# ", func ? func : "", line);
  va_list args;
  va_start(args, fmt);
  std::vfprintf(file, fmt, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}
