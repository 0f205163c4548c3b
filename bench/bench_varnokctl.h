// Runs varnokctl of this build as a process of its own, as a user does, for
// the end-to-end timing programs.
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

// cli/varnokctl beside this program's bench/ folder.
inline std::string BenchVarnokctlPath() {
  char self[PATH_MAX] = {0};
  ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./bench");
  dir = dir.substr(0, dir.rfind('/'));
  return dir + "/../cli/varnokctl";
}

// Starts varnokctl with `args` (standard output to /dev/null); its process
// id, or -1 when it could not start.
inline pid_t BenchSpawnVarnokctl(const std::vector<std::string> &args) {
  std::vector<std::string> all = {BenchVarnokctlPath()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Runs varnokctl with `args` (standard output to /dev/null); returns its
// exit code, -1 when it could not run or was killed.
inline int BenchRunVarnokctl(const std::vector<std::string> &args) {
  const pid_t pid = BenchSpawnVarnokctl(args);
  if (pid < 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
