// Whole-file reads and crash-safe whole-file writes for the configuration file.
#pragma once

#include <string>

enum class DtuFileRead { kOk, kMissing, kFailed };

// Largest configuration file read: anything bigger is no configuration file.
constexpr long long kDtuMaxFileBytes = 16LL * 1024 * 1024;

// Reads the whole regular file. kMissing when nothing exists at `path`;
// kFailed when it exists but cannot be read: no permission, not a regular
// file (a directory, a FIFO, a device such as /dev/zero), or larger than
// kDtuMaxFileBytes. The open never blocks (a FIFO without a writer would
// block it). With `why`, a failure says what it was, in the current language.
DtuFileRead DtuReadWholeFile(const std::string &path, std::string &bytes, std::string *why = nullptr);

// The file that a write to `path` must replace: the target of a symbolic
// link, `path` itself otherwise (also when nothing exists there yet).
std::string DtuReplacementTarget(const std::string &path);

// True for the name of a temporary file of `base` (both without directory):
// `base`, a dot and the six letters or digits mkostemp puts for XXXXXX.
bool DtuIsTemporaryOf(const std::string &name, const std::string &base);

// Writes `bytes` into a new temporary file `<target>.XXXXXX` beside `target`
// and flushes it to disk; `temp` names it. It has the mode of `target` when
// that exists, 0600 otherwise. False (nothing left behind, errno telling
// why) on failure.
bool DtuWriteTemporaryBeside(const std::string &target, const std::string &bytes, std::string &temp);

// Replaces the file's content with `bytes`: writes a temporary file in the
// same directory, flushes it to disk and renames it over the old one, so an
// interrupted or failed write leaves the old file whole. A new file gets mode
// 0600 (it may hold passwords); a rewrite keeps the old file's mode. A
// symbolic link is followed and its target replaced; anything else that is
// not a regular file is refused. Temporary files that earlier, interrupted
// saves left beside the file are removed once they are an hour old. False on
// any failure (the reason goes to the diagnostic log).
bool DtuWriteFileAtomically(const std::string &path, const std::string &bytes);
