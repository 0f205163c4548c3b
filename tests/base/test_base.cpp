#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_printable.h"

namespace {

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Sample {
  void Method() { DTU_LOG("value : %d.", 7); }
};

}  // namespace

TEST(DiagnosticLog, QualifiedNameDropsReturnTypeAndParameters) {
  EXPECT_EQ(DtuQualifiedFunctionName("void DtuDevinfo::DevinfoVersionSet(const char*, int)"),
            "DtuDevinfo::DevinfoVersionSet");
  EXPECT_EQ(DtuQualifiedFunctionName("static int DtuCmdPort::DtuCmdRingbufSend(const char*, int)"),
            "DtuCmdPort::DtuCmdRingbufSend");
  EXPECT_EQ(DtuQualifiedFunctionName("std::vector<int, std::allocator<int> > Foo::Bar() const"),
            "Foo::Bar");
  EXPECT_EQ(DtuQualifiedFunctionName("int main()"), "main");
  EXPECT_EQ(DtuQualifiedFunctionName("void {anonymous}::Helper(int)"), "{anonymous}::Helper");
}

TEST(DiagnosticLog, RecordHasPrefixMessageAndLineFeed) {
  const std::string path = "log_record_test.txt";
  std::remove(path.c_str());
  DtuLogSetPath(path);
  Sample().Method();
  DtuLogSetPath("./log.txt");
  std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind("[{anonymous}::Sample::Method,", 0), 0u) << text;
  EXPECT_NE(text.find("]# value : 7.\n"), std::string::npos) << text;
}

// On standard error and once per run, so it never mixes into what a command
// prints on standard output.
TEST(DiagnosticLog, UnopenableFileIsReportedOnStderrOnce) {
  DtuLogSetPath("no-such-dir/sub/log.txt");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  DTU_LOG("lost");
  DTU_LOG("lost again");
  std::string err = testing::internal::GetCapturedStderr();
  std::string out = testing::internal::GetCapturedStdout();
  DtuLogSetPath("./log.txt");
  EXPECT_EQ(err, "\nopen no-such-dir/sub/log.txt error!\n");
  EXPECT_EQ(out, "");
}

TEST(DiagnosticLog, RecordsFromManyThreadsNeverInterleave) {
  const std::string path = "log_threads_test.txt";
  std::remove(path.c_str());
  DtuLogSetPath(path);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) DTU_LOG("thread %d record %d %s", t, i, std::string(300, 'a' + t).c_str());
    });
  }
  for (auto &th : threads) th.join();
  DtuLogSetPath("./log.txt");
  std::istringstream lines(ReadFile(path));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    size_t body = line.find("]# thread ");
    ASSERT_NE(body, std::string::npos) << line;
    int t = line[body + 10] - '0';
    EXPECT_EQ(line.substr(line.size() - 300), std::string(300, 'a' + t)) << "interleaved: " << line;
  }
  EXPECT_EQ(count, 800);
}

TEST(TextTable, LookupFollowsLanguageFlagAndMissingIdsAreEmpty) {
  int saved = DtuLangFlag;
  DtuLangFlag = 1;
  EXPECT_STREQ(DtuLangText(145), "Read local config succeeded!");
  EXPECT_STREQ(DtuLangText(228), "");
  EXPECT_STREQ(DtuLangText(-5), "");
  DtuLangFlag = 0;
  EXPECT_STREQ(DtuLangText(145), "读取本地配置成功!");
  DtuLangFlag = 2;
  EXPECT_STREQ(DtuLangText(143), "配置串口未打开");
  DtuLangFlag = saved;
}

TEST(MessageSink, RecorderReceivesMessagesAndPreviousSinkIsRestored) {
  std::vector<std::string> seen;
  DtuMessageSink previous = DtuSetMessageSink([&](const std::string &t) { seen.push_back(t); });
  DtuMessageBox("first");
  DtuMessageBox("second");
  DtuSetMessageSink(previous);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "first");
  EXPECT_EQ(seen[1], "second");
}

TEST(PrintableText, BytesThatAreNotUtf8AreWrittenAsEscapesAndTheRestKept) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},
      {"\xe9\x85\x8d\xe7\xbd\xae", "\xe9\x85\x8d\xe7\xbd\xae"},  // Chinese, kept
      {"\xf0\x9f\x99\x82", "\xf0\x9f\x99\x82"},                  // four bytes, kept
      {"a\xffz", "a\\xffz"},                                      // never in UTF-8
      {"\xc0\xaf", "\\xc0\\xaf"},                                 // overlong "/"
      {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                        // a surrogate
      {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},               // past U+10FFFF
      {"ok\xe9\x85", "ok\\xe9\\x85"},                             // cut short at the end
      {"\xb0" "GBK", "\\xb0GBK"},                                 // a stray continuation byte
  };
  for (const auto &c : cases) EXPECT_EQ(DtuEscapeInvalidUtf8(c.in), c.out) << c.in;
}
