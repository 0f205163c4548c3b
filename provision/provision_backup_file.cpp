#include "provision/provision_backup_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "config/dtu_config_template.h"
#include "config/dtu_file_io.h"

bool ProvisionBackupFile::Begin(const std::string &file, std::string &error, const std::string &work_beside) {
  Discard();
  // A symbolic link stays a link: its target is the file that is replaced.
  target_ = DtuReplacementTarget(file);
  std::string bytes;
  std::string why;
  const DtuFileRead old = DtuReadWholeFile(target_, bytes, &why);
  if (old == DtuFileRead::kFailed) return error = "cannot read " + file + ": " + why, false;
  if (old == DtuFileRead::kMissing) bytes = DtuConfigTemplateText();
  const std::string beside = work_beside.empty() ? target_ : work_beside;
  if (!DtuWriteTemporaryBeside(beside, bytes, work_)) {
    error = "cannot create a file beside " + beside + ": " + std::strerror(errno);
    return false;
  }
  if (guarded_) guard_.Watch(work_);
  return true;
}

bool ProvisionBackupFile::Commit(std::string &error) {
  if (work_.empty()) return error = "no backup to save", false;
  if (::rename(work_.c_str(), target_.c_str()) != 0) {
    error = "cannot replace " + target_ + ": " + std::strerror(errno);
    Discard();
    return false;
  }
  work_.clear();
  guard_.Release();
  return true;
}

void ProvisionBackupFile::Discard() {
  if (!work_.empty()) ::unlink(work_.c_str());
  work_.clear();
  guard_.Release();
}
