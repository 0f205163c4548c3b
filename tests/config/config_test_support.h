// Helpers of the configuration tests: a private temporary directory, whole-file
// reads and writes, and a recorder for user messages.
#pragma once

#include <string>
#include <vector>

#include "base/dtu_message.h"

namespace config_test {

// A fresh directory under the system's temporary directory, removed (with
// everything in it) when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  std::string File(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, const std::string &bytes);
// File mode bits (07777), or -1 when the file does not exist.
int FileMode(const std::string &path);
// Names in a directory, without "." and "..".
std::vector<std::string> DirectoryEntries(const std::string &path);

// Records every DtuMessageBox text while alive.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  const std::vector<std::string> &messages() const { return messages_; }

 private:
  std::vector<std::string> messages_;
  DtuMessageSink previous_;
};

}  // namespace config_test
