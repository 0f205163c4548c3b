#include "cli/provision_pages.h"

#include <algorithm>
#include <sstream>

#include "pages/dtu_page.h"
#include "pages/dtu_page_runner.h"

namespace {

// The page tree's order (Data Port, Device Info, Network Info, Work Mode,
// TCP/UDP, MQTT), then the pages the tree does not show.
const char *const kTreeOrder[] = {"dataport", "devinfo", "net", "workmode", "tcpudp", "mqtt", "aliyun", "onenet"};

int TreeIndex(const std::string &name) {
  const auto *end = std::end(kTreeOrder);
  return static_cast<int>(std::find(std::begin(kTreeOrder), end, name) - std::begin(kTreeOrder));
}

}  // namespace

std::vector<std::string> ProvisionPageNames() {
  std::vector<std::string> names = DtuPageNames();
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string &a, const std::string &b) { return TreeIndex(a) < TreeIndex(b); });
  return names;
}

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
