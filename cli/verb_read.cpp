// varnokctl read -p PORT PAGE: prints a settings page as the device has it.
#include "cli/page_verbs.h"
#include "cli/verb_registry.h"

namespace {
VarnokVerbRegistrar read_verb("read", "read a settings page and print its fields", RunPageReadVerb);
}  // namespace
