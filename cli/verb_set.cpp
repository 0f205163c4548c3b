// varnokctl set -p PORT PAGE name=value...: changes fields of a settings page.
#include "cli/page_verbs.h"
#include "cli/verb_registry.h"

namespace {
VarnokVerbRegistrar set_verb("set", "change fields of a settings page and wait for the device", RunPageSetVerb);
}  // namespace
