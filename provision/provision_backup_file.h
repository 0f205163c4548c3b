// The file a backup builds. It starts as a copy of the old file (the
// template when there is none) in a temporary file beside it, the pages save
// into that copy, and only a backup that saved every page replaces the old
// file with it, in one rename. Until then the old file stays byte for byte;
// a backup that fails, is stopped or is killed leaves the old file (or none)
// and its temporary file is removed (by a helper process after a kill -9).
// diff uses such a copy too, as scratch: the pages save the device into it.
#pragma once

#include <string>

#include "provision/provision_temp_guard.h"

class ProvisionBackupFile {
 public:
  // `guarded`: a helper process removes the working copy should this
  // process be killed. It is a fork, safe only before threads start
  // (varnokctl); the window, which runs threads, removes its copy itself.
  explicit ProvisionBackupFile(bool guarded = true) : guarded_(guarded) {}
  ~ProvisionBackupFile() { Discard(); }
  ProvisionBackupFile(const ProvisionBackupFile &) = delete;
  ProvisionBackupFile &operator=(const ProvisionBackupFile &) = delete;

  // Makes the working copy of `file`, beside it (or beside `work_beside`
  // when given: a copy that never replaces `file`). False with `error` when
  // the old file cannot be read (it is then left alone) or no copy can be
  // made.
  bool Begin(const std::string &file, std::string &error, const std::string &work_beside = "");
  // The working copy the pages save into.
  const std::string &WorkPath() const { return work_; }
  // Renames the working copy over the old file. False with `error` when that
  // failed (the old file is then as it was).
  bool Commit(std::string &error);
  // Removes the working copy; the old file stays as it was.
  void Discard();

 private:
  std::string target_;
  std::string work_;
  bool guarded_;
  ProvisionTempGuard guard_;
};
