// varnokctl config: the local configuration file without the GUI.
//
//   varnokctl config init FILE   write the template when FILE does not exist
//                                (an existing file is left as it is)
//   varnokctl config show FILE   every section and key with the value the
//                                tool will use, for checking a hand-edited
//                                profile before writing it to devices
//
// Exit codes: 0 done, 1 the file cannot be created or opened, 2 usage.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/verb_registry.h"
#include "config/dtu_config.h"
#include "config/dtu_config_show.h"

namespace {

const char kUsage[] =
    "usage: varnokctl config init FILE   write the configuration template to FILE (kept if it exists)\n"
    "       varnokctl config show FILE   print every key of FILE with the value the tool will use\n";

int RunInit(const std::string &path) {
  struct stat status;
  const bool existed = ::stat(path.c_str(), &status) == 0;
  if (!DtuConfig::CreateDefaultFile(path)) return kExitRefused;  // the message says why
  if (existed) std::fprintf(stderr, "varnokctl: %s exists; left unchanged\n", path.c_str());
  return kExitOk;
}

int RunShow(const std::string &path) {
  std::string text;
  if (!DtuConfigShow(path, text)) return kExitRefused;  // the message says why
  std::fwrite(text.data(), 1, text.size(), stdout);
  return kExitOk;
}

int RunConfig(int argc, char **argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::string action = argv[1];
  if (action == "init") return RunInit(argv[2]);
  if (action == "show") return RunShow(argv[2]);
  std::fprintf(stderr, "varnokctl config: unknown action '%s'\n%s", action.c_str(), kUsage);
  return kExitUsage;
}

VarnokVerbRegistrar config_verb("config", "create (init) or check (show) a local configuration file", RunConfig);

}  // namespace
