#include "config/dtu_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/dtu_log.h"

namespace {

// Writes all of `bytes`, repeating interrupted and short writes.
bool WriteAll(int fd, const std::string &bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The file that a write to `path` must replace: the target of a symbolic link,
// `path` itself otherwise (also when nothing exists there yet).
std::string ReplacementTarget(const std::string &path) {
  struct stat link_status;
  if (::lstat(path.c_str(), &link_status) != 0 || !S_ISLNK(link_status.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

}  // namespace

DtuFileRead DtuReadWholeFile(const std::string &path, std::string &bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? DtuFileRead::kMissing : DtuFileRead::kFailed;
  struct stat status;
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    return DtuFileRead::kFailed;
  }
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      bytes.clear();
      return DtuFileRead::kFailed;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return DtuFileRead::kOk;
}

bool DtuWriteFileAtomically(const std::string &path, const std::string &bytes) {
  const std::string target = ReplacementTarget(path);
  struct stat old_status;
  bool existed = ::stat(target.c_str(), &old_status) == 0;
  if (existed && S_ISDIR(old_status.st_mode)) {
    DTU_LOG("%s is a directory.", target.c_str());
    return false;
  }
  std::string temp = target + ".XXXXXX";
  int fd = ::mkostemp(&temp[0], O_CLOEXEC);  // created with mode 0600
  if (fd < 0) {
    DTU_LOG("cannot create a temporary file beside %s : %s.", target.c_str(), std::strerror(errno));
    return false;
  }
  bool written = (!existed || ::fchmod(fd, old_status.st_mode & 07777) == 0) && WriteAll(fd, bytes) &&
                 ::fdatasync(fd) == 0;
  int saved_errno = errno;
  if (::close(fd) != 0) written = false;
  // The content is on disk before the rename, so after a crash the name holds
  // either the old file or the new one, each whole. The directory itself is
  // not synced: that would only make the new name durable sooner, at a few
  // milliseconds per save.
  if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
    if (written) saved_errno = errno;
    DTU_LOG("cannot write %s : %s.", target.c_str(), std::strerror(saved_errno));
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}
