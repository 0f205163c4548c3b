// The store pattern every page with local storage follows: load the whole
// configuration file into a fresh record, copy the page's fields in or out,
// and for a save write the whole record back.
#pragma once

#include <string>
#include <vector>

#include "base/dtu_text_id.h"

class DtuConfig;
class DtuPage;

// The configuration file the pages use; "Zev_DtuConfig.txt" in the working
// directory unless varnokctl or a test points elsewhere.
const std::string &DtuPageConfigPath();
void DtuPageSetConfigPath(const std::string &path);

// A message about the configuration file, naming it on a line of its own:
// "Save config succeeded\nFile: /home/user/Zev_DtuConfig.txt".
std::string DtuPageFileText(DtuTextId text_id);

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

// A page whose settings the file keeps names the sections its Save to Local
// writes and its Read Local reads, by their names in the file ("MQTT"; the
// Modbus page "MODBUS" and "DECODE"). Who writes a device from a file asks
// the file whether it holds the page before writing anything of it.
class DtuStoredPage {
 public:
  virtual ~DtuStoredPage() = default;
  virtual std::vector<std::string> FileSections() const = 0;
};

enum class DtuPageInFile {
  kHeld,       // every key of the page's sections is in the file, usable
  kNotInFile,  // a section of the page, or keys of it, are not in the file
               // (a section of only empty values, as in the template, included)
  kUnusable,   // the file holds a key of the page that must not reach a device
};

// Whether the file `config` was loaded from holds `page` whole; for anything
// but kHeld, `why` names the sections or keys ("[MQTT] lacks Port, Qos",
// "[MQTT] Server: holds a control character"). A page that keeps nothing in
// the file is not in it.
DtuPageInFile DtuPageFoundIn(const DtuPage &page, const DtuConfig &config, std::string &why);
