#include "config/dtu_config_added.h"

#include <algorithm>

#include "config/dtu_ini.h"

namespace {

std::vector<DtuAddedSection> &Sections() {
  static std::vector<DtuAddedSection> *const sections = new std::vector<DtuAddedSection>;
  return *sections;
}

}  // namespace

int DtuConfigAddSection(const std::string &name, const std::vector<std::string> &keys) {
  std::vector<DtuAddedSection> &sections = Sections();
  auto found = std::find_if(sections.begin(), sections.end(), [&name](const DtuAddedSection &section) {
    return DtuIniLower(section.name) == DtuIniLower(name);
  });
  if (found == sections.end()) found = sections.insert(sections.end(), DtuAddedSection{name, {}});
  for (const std::string &key : keys) {
    if (std::find(found->keys.begin(), found->keys.end(), key) == found->keys.end()) found->keys.push_back(key);
  }
  return static_cast<int>(sections.size());
}

const std::vector<DtuAddedSection> &DtuConfigAddedSections() { return Sections(); }
