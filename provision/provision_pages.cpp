#include "provision/provision_pages.h"

#include <algorithm>
#include <sstream>

#include "config/dtu_config.h"
#include "pages/dtu_page_runner.h"
#include "pages/kit/dtu_page.h"

// The catalog lists varnokctl's pages in tree order.
std::vector<std::string> ProvisionPageNames() { return DtuPageNames(); }

std::unique_ptr<DtuPage> ProvisionCreatePage(const std::string &name) { return DtuCreatePage(name); }

bool ProvisionSelectPages(const std::string &list, std::vector<std::string> &pages, std::string &error) {
  const std::vector<std::string> all = ProvisionPageNames();
  if (list.empty()) return pages = all, true;
  std::vector<std::string> wanted;
  std::istringstream in(list);
  for (std::string name; std::getline(in, name, ',');) {
    if (name.empty()) continue;
    if (std::find(all.begin(), all.end(), name) == all.end()) return error = "unknown page \"" + name + "\"", false;
    wanted.push_back(name);
  }
  if (wanted.empty()) return error = "--pages names no page", false;
  pages.clear();
  for (const std::string &name : all) {
    if (std::find(wanted.begin(), wanted.end(), name) != wanted.end()) pages.push_back(name);
  }
  return true;
}

void ProvisionOrderForFile(std::vector<std::string> &pages, const DtuConfig &file) {
  const auto polling = std::find(pages.begin(), pages.end(), "modbus");
  const auto cache = std::find(pages.begin(), pages.end(), "modbuscache");
  if (polling == pages.end() || cache == pages.end()) return;
  const bool cache_first = file.modbus.funcSwitch == 1 && file.modbusCache.funcSwitch != 1;
  if (cache_first == (cache < polling)) return;
  std::iter_swap(polling, cache);
}
