#include "tests/pages/page_test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_page_store.h"

void PageTest::SetUp() {
  DtuLangFlag = 1;
  DtuCmdResetDispatch();
  DtuSetMessageSink([this](const std::string &text) { messages_.push_back(text); });
  char pattern[] = "/tmp/varnok-pages-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  dir_ = pattern;
  config_path_ = dir_ + "/Zev_DtuConfig.txt";
  DtuPageSetConfigPath(config_path_);
}

void PageTest::TearDown() {
  DtuSetMessageSink(nullptr);
  DtuCmdResetDispatch();
  DtuPageSetConfigPath("Zev_DtuConfig.txt");
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

void PageTest::Answer(const std::string &text) { DtuCmdRecvProcess(text.c_str(), static_cast<int>(text.size())); }

void PageTest::WriteConfig(const std::string &text) const {
  std::ofstream out(config_path_, std::ios::binary);
  out << text;
}

std::string PageTest::ReadConfig() const {
  std::ifstream in(config_path_, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string PageTest::Text(int id) { return DtuLangText(id); }
