// The store pattern every page with local storage follows: load the whole
// configuration file into a fresh record, copy the page's fields in or out,
// and for a save write the whole record back.
#pragma once

#include <string>

#include "base/dtu_text_id.h"

class DtuConfig;

// The configuration file the pages use; "Zev_DtuConfig.txt" in the working
// directory unless varnokctl or a test points elsewhere.
const std::string &DtuPageConfigPath();
void DtuPageSetConfigPath(const std::string &path);

// Loads the file; on failure shows "Failed to read config file!".
bool DtuPageLoadConfig(DtuConfig &config);

// For the pages that save even when the load failed: a missing file is
// created anew from the page's values, but a file that exists and could not
// be read is never overwritten (that would destroy every other page's
// settings). Shows "Failed to read config file!" on any failed load and
// returns true when the save may go on.
bool DtuPageLoadConfigForSave(DtuConfig &config);

// Saves the record and shows ok_text or fail_text.
bool DtuPageSaveConfig(DtuConfig &config, DtuTextId ok_text, DtuTextId fail_text);

// A text must fit its capacity in the file: otherwise the save is refused
// with a message naming the field and its limit.
bool DtuPageFitsCapacity(const char *field, const std::string &text, size_t capacity);
