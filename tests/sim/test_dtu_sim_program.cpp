// The dtu-sim program: first line, --link, --state, and a clean stop on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "link/dtu_cmd_port.h"
#include "tests/support/temp_dir.h"

extern char **environ;
using namespace std::chrono_literals;

namespace {

// Starts dtu-sim with its standard output on a pipe; returns the pid.
pid_t StartProgram(const std::vector<std::string> &args, FILE **out) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return -1;
  std::vector<std::string> all = {DTU_SIM_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  pid_t pid = -1;
  if (posix_spawn(&pid, DTU_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  *out = fdopen(pipe_fds[0], "r");
  return pid;
}

}  // namespace

TEST(DtuSimProgram, PrintsThePathLinksItKeepsStateAndStopsOnTerm) {
  TempDir dir;
  const std::string link = dir.File("dtu");
  const std::string state = dir.File("state.json");
  FILE *out = nullptr;
  pid_t pid = StartProgram({"--link", link, "--state", state}, &out);
  ASSERT_GT(pid, 0);
  char line[256] = {0};
  ASSERT_NE(fgets(line, sizeof(line), out), nullptr);
  std::string path(line);
  path.erase(path.find_last_not_of("\r\n") + 1);
  EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  char target[256] = {0};
  ASSERT_GT(readlink(link.c_str(), target, sizeof(target) - 1), 0);
  EXPECT_EQ(std::string(target), path);
  {
    DtuCmdPort port;
    DtuSerialSettings settings;
    settings.port = link;  // the symlink opens like the device itself
    std::string error;
    ASSERT_TRUE(port.DtuCmdPortOpen(settings, error)) << error;
    const std::string set = "AT+ZEVCFG=set|mqtt-addr|10.0.0.9\r\n";
    DtuCmdPort::DtuCmdRingbufSend(set.data(), static_cast<int>(set.size()));
    for (int i = 0; i < 200 && port.CommandsAnswered() < 1; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(port.CommandsAnswered(), 1);
  }
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  fclose(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(ReadWholeFile(state).find("\"10.0.0.9\""), std::string::npos);
  EXPECT_NE(access(link.c_str(), F_OK), 0);  // the link goes with the simulator
}

TEST(DtuSimProgram, BadOptionsAreRefused) {
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"--baud"}, {"--latency", "soon"}, {"--frobnicate"}, {"--ack-style", "loud"},
        {"--bad-value", "logLevel"}, {"--lose-line", "first"}}) {
    FILE *out = nullptr;
    pid_t pid = StartProgram(args, &out);
    ASSERT_GT(pid, 0);
    int status = 0;
    waitpid(pid, &status, 0);
    fclose(out);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args[0];
  }
}
