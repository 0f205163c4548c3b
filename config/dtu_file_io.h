// Whole-file reads and crash-safe whole-file writes for the configuration file.
#pragma once

#include <string>

enum class DtuFileRead { kOk, kMissing, kFailed };

// Reads the whole regular file. kMissing when nothing exists at `path`;
// kFailed when it exists but cannot be read (a directory, no permission).
DtuFileRead DtuReadWholeFile(const std::string &path, std::string &bytes);

// Replaces the file's content with `bytes`: writes a temporary file in the
// same directory, flushes it to disk and renames it over the old one, so an
// interrupted or failed write leaves the old file whole. A new file gets mode
// 0600 (it may hold passwords); a rewrite keeps the old file's mode. A
// symbolic link is followed and its target replaced. False on any failure
// (the reason goes to the diagnostic log).
bool DtuWriteFileAtomically(const std::string &path, const std::string &bytes);
