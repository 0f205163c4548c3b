#include "cli/verb_registry.h"

#include <algorithm>
#include <cstring>

namespace {

// A function-local list: registrars in other files run during static
// initialisation, in an order the language leaves open.
std::vector<VarnokVerb> &MutableVerbs() {
  static std::vector<VarnokVerb> verbs;
  return verbs;
}

}  // namespace

const std::vector<VarnokVerb> &VarnokVerbs() { return MutableVerbs(); }

const VarnokVerb *VarnokFindVerb(const char *name) {
  for (const auto &verb : MutableVerbs()) {
    if (std::strcmp(verb.name, name) == 0) return &verb;
  }
  return nullptr;
}

VarnokVerbRegistrar::VarnokVerbRegistrar(const char *name, const char *help, VarnokVerbFunction run) {
  if (VarnokFindVerb(name) != nullptr) return;  // the first registration of a name wins
  auto &verbs = MutableVerbs();
  verbs.push_back(VarnokVerb{name, help, run});
  std::sort(verbs.begin(), verbs.end(),
            [](const VarnokVerb &a, const VarnokVerb &b) { return std::strcmp(a.name, b.name) < 0; });
}
