// Sections of the configuration file that pages declare from their own
// folders, beside the fixed groups of the record: a page the record does not
// know names its section and keys once, and the record reads, writes and
// notes them like its own (after the fixed sections, in the order declared).
// Values are texts; a page's file slots reach them through
// DtuConfig::AddedField.
#pragma once

#include <string>
#include <vector>

struct DtuAddedSection {
  std::string name;
  std::vector<std::string> keys;  // in file order
};

// Declares a section and its keys while the program starts (before any file
// is read); a section declared again gets the keys it lacked. Returns the
// number of sections declared so far.
int DtuConfigAddSection(const std::string &name, const std::vector<std::string> &keys);

const std::vector<DtuAddedSection> &DtuConfigAddedSections();
