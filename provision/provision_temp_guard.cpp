#include "provision/provision_temp_guard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "config/dtu_file_io.h"

namespace {

// Removes `dir/base` and the temporaries of its name that a save was still
// writing when the process ended.
void RemoveLeftovers(const std::string &dir, const std::string &base) {
  DIR *listing = ::opendir(dir.c_str());
  if (listing == nullptr) return;
  ::unlinkat(::dirfd(listing), base.c_str(), 0);
  while (dirent *entry = ::readdir(listing)) {
    if (DtuIsTemporaryOf(entry->d_name, base)) ::unlinkat(::dirfd(listing), entry->d_name, 0);
  }
  ::closedir(listing);
}

// The helper's whole life: its standard input is the pipe, everything else
// of the parent is closed, so it keeps no port, no terminal and no reader of
// the parent's output waiting.
[[noreturn]] void GuardUntilParentEnds(int read_end, const std::string &dir, const std::string &base) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal_number, SIG_IGN);
  ::dup2(read_end, STDIN_FILENO);
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
  }
  ::close_range(STDERR_FILENO + 1, ~0U, 0);
  // Nothing is ever written: the read returns when the last writing end is
  // closed, that is when the parent is gone or let the helper go.
  char byte;
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, &byte, 1);
    if (n == 0 || (n < 0 && errno != EINTR)) break;
  }
  RemoveLeftovers(dir, base);
  ::_exit(0);
}

}  // namespace

bool ProvisionTempGuard::Watch(const std::string &path) {
  Release();
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  const pid_t pid = ::fork();
  if (pid == 0) GuardUntilParentEnds(ends[0], dir, base);
  ::close(ends[0]);
  if (pid < 0) {
    ::close(ends[1]);
    return false;
  }
  helper_ = pid;
  pipe_write_ = ends[1];
  return true;
}

void ProvisionTempGuard::Release() {
  if (helper_ < 0) return;
  ::close(pipe_write_);
  while (::waitpid(helper_, nullptr, 0) < 0 && errno == EINTR) {
  }
  helper_ = -1;
  pipe_write_ = -1;
}
