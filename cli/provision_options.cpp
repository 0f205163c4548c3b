#include "cli/provision_options.h"

#include <cstring>
#include <sstream>

#include "cli/cli_port_options.h"
#include "provision/provision_pages.h"

namespace {

constexpr double kDefaultTimeoutS = 20.0;
const char kWorkerFlag[] = "--worker";

bool IsFlag(const std::string &arg, const char *name) { return arg == name; }

// Takes the verb's own options out of argv; the rest go to the port options.
bool SplitOwnOptions(int argc, char **argv, ProvisionOptions &o, std::string &pages, std::vector<char *> &rest,
                     std::string &error) {
  rest.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takes_value = arg == "-p" || arg == "--port" || arg == "--pages";
    if (takes_value && i + 1 >= argc) return error = "option " + arg + " needs a value", false;
    if (arg == "-p" || arg == "--port") {
      o.ports.push_back(argv[++i]);
    } else if (arg == "--pages") {
      pages += std::string(pages.empty() ? "" : ",") + argv[++i];
    } else if (IsFlag(arg, "--parallel")) {
      o.parallel = true;
    } else if (IsFlag(arg, "--no-verify")) {
      o.verify = false;
    } else if (IsFlag(arg, "--json")) {
      o.json = true;
    } else if (IsFlag(arg, kWorkerFlag)) {
      o.worker = true;
    } else {
      rest.push_back(argv[i]);
      if (arg.size() > 1 && arg[0] == '-' && arg != "--" && i + 1 < argc) {
        o.line_arguments.push_back(arg);
        o.line_arguments.push_back(argv[i + 1]);
        rest.push_back(argv[++i]);
      }
    }
  }
  return true;
}

bool CheckVerbRules(ProvisionOptions &o, std::string &error) {
  if (o.ports.empty()) return error = "no port given (-p PORT)", false;
  if (o.verb == "backup" || o.verb == "diff") {
    if (o.ports.size() > 1) return error = o.verb + " reads one device: give one -p PORT", false;
    if (o.parallel || !o.verify) return error = "--parallel and --no-verify belong to apply", false;
  }
  if (o.worker && o.ports.size() != 1) return error = "a worker takes one port", false;
  return true;
}

}  // namespace

bool ParseProvisionOptions(const std::string &verb, int argc, char **argv, ProvisionOptions &o, std::string &error) {
  o.verb = verb;
  std::string pages;
  std::vector<char *> rest;
  if (!SplitOwnOptions(argc, argv, o, pages, rest, error) || !CheckVerbRules(o, error)) return false;
  // The port options want one port: the first stands for all of them.
  std::string first_port = o.ports.front();
  std::string dash_p = "-p";
  rest.push_back(dash_p.data());
  rest.push_back(first_port.data());
  CliPortOptions port;
  if (!ParseCliPortOptions(static_cast<int>(rest.size()), rest.data(), &port, &error)) return false;
  if (port.operands.size() != 1) return error = "give exactly one configuration FILE", false;
  o.file = port.operands[0];
  o.serial = port.serial;
  o.timeout_ms = static_cast<int>((port.timeout_s > 0 ? port.timeout_s : kDefaultTimeoutS) * 1000);
  return ProvisionSelectPages(pages, o.pages, error);
}

std::vector<std::string> ProvisionWorkerArguments(const ProvisionOptions &o, const std::string &port) {
  std::vector<std::string> args = {o.verb, kWorkerFlag, "-p", port, o.file};
  std::string pages;
  for (const std::string &name : o.pages) pages += (pages.empty() ? "" : ",") + name;
  args.insert(args.end(), {"--pages", pages});
  if (!o.verify) args.push_back("--no-verify");
  args.insert(args.end(), o.line_arguments.begin(), o.line_arguments.end());
  return args;
}

std::string ProvisionHelp(const std::string &verb) {
  std::ostringstream text;
  if (verb == "backup") {
    text << "usage: varnokctl backup -p PORT FILE [--pages LIST] [options]\n"
            "  Reads each page from the device and saves it with the page's Save to\n"
            "  Local into a copy of FILE (of the template when FILE is missing; sections\n"
            "  the pages do not own are kept), which replaces FILE only once every page\n"
            "  was saved: otherwise FILE stays as it was.\n";
  } else if (verb == "diff") {
    text << "usage: varnokctl diff -p PORT FILE [--pages LIST] [--json] [options]\n"
            "  Reads each page from the device, puts FILE into it with the page's Read\n"
            "  Local and prints every field that differs (nothing is written):\n"
            "    mqtt Server: device \"a.example\", file \"b.example\"\n";
  } else {
    text << "usage: varnokctl apply -p PORT [-p PORT...] FILE [--pages LIST] [--parallel]\n"
            "                       [--no-verify] [--json] [options]\n"
            "  For each device and each page: Read, Read Local from FILE, Set with the\n"
            "  page's own checks, wait for the device's confirmation, then read the page\n"
            "  back and compare every field with what was written.\n"
            "  --parallel   all devices at once (one process per port)\n"
            "  --no-verify  skip the read-back\n"
            "  (remote devices through the cloud: varnokctl apply --cloud FILE ...; see\n"
            "   varnokctl apply --cloud --help)\n";
  }
  text << "  --pages LIST  comma-separated pages (default: all), worked in tree order\n"
          "  --json        print the report as JSON\n"
       << CliPortOptionsHelp() << "  (default timeout: 20 s per Read, Set or read-back of a page)\n"
       << "pages:";
  for (const std::string &name : ProvisionPageNames()) text << " " << name;
  const char *ok = verb == "backup" ? "every page read and saved"
                   : verb == "diff"  ? "device and file agree"
                                     : "every page of every device verified";
  text << "\nexit: 0 " << ok << ", 1 the port, the file or a page refused,\n"
          "      2 usage, 3 a line got no answer, 4 port in use, 5 port lost,\n"
          "      6 the device answered with an error, 7 "
       << (verb == "diff" ? "they differ" : "read-back differs") << ",\n"
          "      130 stopped by Ctrl-C (the report names the pages not done);\n"
          "      with several devices the worst code wins\n";
  return text.str();
}
