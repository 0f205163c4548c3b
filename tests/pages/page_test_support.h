// What the page tests share: a recorder for the user messages, a private
// configuration file, and answers fed through the real dispatcher.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs one cleaned answer through the dispatcher, as the listener does.
  static void Answer(const std::string &text);
  // The configuration file of this test (in its own temporary folder).
  const std::string &ConfigPath() const { return config_path_; }
  void WriteConfig(const std::string &text) const;
  std::string ReadConfig() const;

  // Text of a table entry in the current language.
  static std::string Text(int id);

  std::vector<std::string> messages_;

 private:
  std::string dir_;
  std::string config_path_;
};
