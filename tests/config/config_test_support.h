// Helpers of the configuration tests: whole-file writes, file modes and a
// recorder for user messages (temporary folders and whole-file reads come
// from tests/support).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/dtu_lang.h"
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

// A fresh folder with "Zev_DtuConfig.txt" as the file under test, and the
// English texts for the duration of the test.
class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_flag_ = DtuLangFlag.load();
    DtuLangFlag = 1;
    path_ = dir_.File("Zev_DtuConfig.txt");
  }
  void TearDown() override { DtuLangFlag = saved_flag_; }

  TempDir dir_;
  std::string path_;
  int saved_flag_ = 1;
};

}  // namespace config_test
