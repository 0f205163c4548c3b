#include "config_test_support.h"

#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace config_test {

void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

int FileMode(const std::string &path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return -1;
  return static_cast<int>(status.st_mode & 07777);
}

std::vector<std::string> DirectoryEntries(const std::string &path) {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

MessageRecorder::MessageRecorder() {
  previous_ = DtuSetMessageSink([this](const std::string &text) { messages_.push_back(text); });
}

MessageRecorder::~MessageRecorder() { DtuSetMessageSink(previous_); }

}  // namespace config_test
