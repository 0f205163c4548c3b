// The pages `apply` and `backup` work on: every page varnokctl can reach
// that keeps settings in the configuration file, in the order of the page
// tree, under the names `read` and `set` use.
#pragma once

#include <memory>
#include <string>
#include <vector>

class DtuConfig;
class DtuPage;

std::vector<std::string> ProvisionPageNames();
std::unique_ptr<DtuPage> ProvisionCreatePage(const std::string &name);

// Picks pages by a comma-separated list (names as for `read`), kept in tree
// order; an empty list picks them all. False with `error` naming the page
// that is not known.
bool ProvisionSelectPages(const std::string &list, std::vector<std::string> &pages, std::string &error);

// apply: the device may not poll as a Modbus master and proxy a Modbus cache
// at once, and each page refuses ON while the device has the other on. A
// file that turns the polling on and the proxy off has the proxy written
// first; otherwise the polling goes first (tree order).
void ProvisionOrderForFile(std::vector<std::string> &pages, const DtuConfig &file);
