#include "config/dtu_file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <ctime>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"

namespace {

constexpr time_t kStaleTemporarySeconds = 3600;

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

// A save that was killed between creating its temporary file and renaming it
// leaves the temporary behind. The next save removes those older than an
// hour (a younger one may belong to a save running right now).
void RemoveStaleTemporaries(const std::string &target) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  DIR *listing = ::opendir(dir.c_str());
  if (listing == nullptr) return;
  const time_t stale_before = ::time(nullptr) - kStaleTemporarySeconds;
  while (dirent *entry = ::readdir(listing)) {
    if (!DtuIsTemporaryOf(entry->d_name, base)) continue;
    struct stat status;
    if (::fstatat(::dirfd(listing), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(status.st_mode) || status.st_mtime >= stale_before) continue;
    if (::unlinkat(::dirfd(listing), entry->d_name, 0) == 0) {
      DTU_LOG("removed %s/%s, left by an interrupted save.", dir.c_str(), entry->d_name);
    }
  }
  ::closedir(listing);
}

DtuFileRead Refuse(std::string *why, const std::string &text) {
  if (why != nullptr) *why = text;
  return DtuFileRead::kFailed;
}

// Reads at most `limit` bytes; false on a read error.
bool ReadUpTo(int fd, long long limit, std::string &bytes) {
  char chunk[65536];
  while (static_cast<long long>(bytes.size()) <= limit) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

DtuFileRead DtuReadWholeFile(const std::string &path, std::string &bytes, std::string *why) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return DtuFileRead::kMissing;
    return Refuse(why, std::strerror(errno));
  }
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    DTU_LOG("%s is not a regular file; not read.", path.c_str());
    return Refuse(why, DtuLangText(DtuTextId::kNotARegularFile));
  }
  // A file may still grow while it is read: the bound holds for what is read.
  const bool read = status.st_size <= kDtuMaxFileBytes && ReadUpTo(fd, kDtuMaxFileBytes, bytes);
  const int read_errno = errno;
  ::close(fd);
  if (static_cast<long long>(bytes.size()) > kDtuMaxFileBytes || status.st_size > kDtuMaxFileBytes) {
    bytes.clear();
    DTU_LOG("%s is larger than %lld bytes; not read.", path.c_str(), kDtuMaxFileBytes);
    return Refuse(why, DtuLangText(DtuTextId::kFileTooLarge));
  }
  if (!read) {
    bytes.clear();
    return Refuse(why, std::strerror(read_errno));
  }
  return DtuFileRead::kOk;
}

std::string DtuReplacementTarget(const std::string &path) {
  struct stat link_status;
  if (::lstat(path.c_str(), &link_status) != 0 || !S_ISLNK(link_status.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

bool DtuIsTemporaryOf(const std::string &name, const std::string &base) {
  if (name.size() != base.size() + 7 || name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') {
    return false;
  }
  for (std::size_t i = base.size() + 1; i < name.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

bool DtuWriteTemporaryBeside(const std::string &target, const std::string &bytes, std::string &temp) {
  struct stat old_status;
  const bool existed = ::stat(target.c_str(), &old_status) == 0;
  temp = target + ".XXXXXX";
  int fd = ::mkostemp(&temp[0], O_CLOEXEC);  // created with mode 0600
  if (fd < 0) {
    const int create_errno = errno;
    DTU_LOG("cannot create a temporary file beside %s : %s.", target.c_str(), std::strerror(create_errno));
    temp.clear();
    errno = create_errno;
    return false;
  }
  bool written = (!existed || ::fchmod(fd, old_status.st_mode & 07777) == 0) && WriteAll(fd, bytes) &&
                 ::fdatasync(fd) == 0;
  const int saved_errno = errno;
  if (::close(fd) != 0) written = false;
  if (written) return true;
  DTU_LOG("cannot write %s : %s.", temp.c_str(), std::strerror(saved_errno));
  ::unlink(temp.c_str());
  temp.clear();
  errno = saved_errno;
  return false;
}

bool DtuWriteFileAtomically(const std::string &path, const std::string &bytes) {
  const std::string target = DtuReplacementTarget(path);
  struct stat old_status;
  if (::stat(target.c_str(), &old_status) == 0 && !S_ISREG(old_status.st_mode)) {
    DTU_LOG("%s is not a regular file; not overwriting it.", target.c_str());
    return false;
  }
  RemoveStaleTemporaries(target);
  std::string temp;
  if (!DtuWriteTemporaryBeside(target, bytes, temp)) return false;
  // The content is on disk before the rename, so after a crash the name holds
  // either the old file or the new one, each whole. The directory itself is
  // not synced: that would only make the new name durable sooner, at a few
  // milliseconds per save.
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    DTU_LOG("cannot write %s : %s.", target.c_str(), std::strerror(errno));
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}
