// varnokctl: the headless front end. `varnokctl VERB [options]`; the verbs
// register themselves (cli/verb_registry.h).
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/dtu_lang.h"
#include "base/dtu_message.h"
#include "base/varnok_version.h"
#include "cli/cli_exit_signals.h"
#include "cli/verb_registry.h"

namespace {

void PrintUsage(FILE *out) {
  std::fprintf(out, "usage: varnokctl VERB [options]\n\nverbs:\n");
  for (const auto &verb : VarnokVerbs()) std::fprintf(out, "  %-10s %s\n", verb.name, verb.help);
  std::fprintf(out, "\n'varnokctl VERB --help' describes a verb's options; 'varnokctl --version' the version.\n");
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  CliInstallExitSignals();
  DtuLangFlag = 1;  // English, as the GUI starts
  DtuSetMessageSink([](const std::string &text) { std::fprintf(stderr, "varnokctl: %s\n", text.c_str()); });
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("varnokctl %s\n", kVarnokVersion);
    return kExitOk;
  }
  const VarnokVerb *verb = VarnokFindVerb(argv[1]);
  if (verb == nullptr) {
    std::fprintf(stderr, "varnokctl: unknown verb '%s'\n", argv[1]);
    PrintUsage(stderr);
    return kExitUsage;
  }
  return verb->run(argc - 1, argv + 1);
}
