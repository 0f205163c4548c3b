// One key of a section the record owns, as the file's text: what a page
// that names its fields by their file keys reads and writes. An int key is
// its decimal text and takes what atoi reads; a text key is its text and
// takes a value cut at its capacity. A key the section does not hold now
// (a rule's parameter beyond its count) is not found.
#pragma once

#include <string>

#include "config/dtu_config.h"

bool DtuConfigGet(const DtuConfig &config, const std::string &section, const std::string &key, std::string &value);
bool DtuConfigPut(DtuConfig &config, const std::string &section, const std::string &key, const std::string &value);
