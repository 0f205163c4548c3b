// Helpers of the configuration tests: whole-file writes, file modes and a
// recorder for user messages (temporary folders and whole-file reads come
// from tests/support).
#pragma once

#include <string>
#include <vector>

#include "base/dtu_message.h"
#include "tests/support/temp_dir.h"

namespace config_test {

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
