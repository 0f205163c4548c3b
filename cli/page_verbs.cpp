#include "cli/page_verbs.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "base/dtu_lang.h"
#include "base/dtu_printable.h"
#include "cli/cli_port_options.h"
#include "cli/cli_port_session.h"
#include "cli/page_json.h"
#include "cli/verb_registry.h"
#include "pages/dtu_page_catalog.h"
#include "pages/dtu_page_runner.h"
#include "provision/varnokctl_outcome.h"

namespace {

constexpr double kDefaultTimeoutS = 10.0;

struct PageVerbArgs {
  CliPortOptions port;
  std::string page;
  std::string packet;  // --packet of the business packet page
  std::vector<std::string> assignments;  // name=value
  bool json = false;                     // read --json
  int timeout_ms = 0;
};

bool WantsHelp(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

// Takes "--packet NAME" out of argv: it belongs to one page, not to the port.
bool TakePacketOption(int &argc, char **argv, std::string &packet, std::string &error) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (std::strcmp(argv[i], "--packet") != 0) continue;
    if (i + 1 >= argc) return error = "option --packet needs a value", false;
    packet = argv[i + 1];
    for (int j = i; j + 2 <= argc; ++j) argv[j] = argv[j + 2];
    argc -= 2;
    --i;
  }
  return true;
}

// Takes "--json" out of argv.
bool TakeJsonFlag(int &argc, char **argv) {
  bool found = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (std::strcmp(argv[i], "--json") != 0) continue;
    found = true;
    for (int j = i; j + 1 <= argc; ++j) argv[j] = argv[j + 1];
    --argc;
    --i;
  }
  return found;
}

bool ParseArgs(int argc, char **argv, PageVerbArgs &parsed, std::string &error) {
  if (!TakePacketOption(argc, argv, parsed.packet, error)) return false;
  parsed.json = TakeJsonFlag(argc, argv);
  if (!ParseCliPortOptions(argc, argv, &parsed.port, &error)) return false;
  if (parsed.port.operands.empty()) return error = "no page given", false;
  parsed.page = parsed.port.operands[0];
  parsed.assignments.assign(parsed.port.operands.begin() + 1, parsed.port.operands.end());
  const double timeout_s = parsed.port.timeout_s > 0 ? parsed.port.timeout_s : kDefaultTimeoutS;
  parsed.timeout_ms = static_cast<int>(timeout_s * 1000);
  return true;
}

void PrintFields(const DtuPage &page) {
  for (const DtuPageFieldInfo &info : page.Fields()) {
    std::string value;
    page.GetField(info.name, value);
    std::printf("%s=%s\n", info.name.c_str(), DtuEscapeControl(value).c_str());
  }
}

using Assignments = std::vector<std::pair<std::string, std::string>>;

// Splits every name=value and tries it on the page, so a bad argument is
// reported before anything is sent. (No second page object: the answer
// handlers reach the page through the one process-wide reference.)
bool ParseAssignments(DtuPage &page, const std::vector<std::string> &args, Assignments &pairs) {
  for (const std::string &a : args) {
    size_t eq = a.find('=');
    if (eq == std::string::npos || eq == 0) {
      std::fprintf(stderr, "varnokctl set: expected name=value, got \"%s\"\n", a.c_str());
      return false;
    }
    pairs.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    std::string error;
    if (!page.SetField(pairs.back().first, pairs.back().second, error)) {
      std::fprintf(stderr, "varnokctl set: %s\n", error.c_str());
      return false;
    }
  }
  return true;
}

// What failed was named on stderr by the page ("No answer from the device
// for PubTopic", "The device refused PubTopic (ERROR)").
std::string Joined(const std::vector<std::string> &keys) {
  std::string text;
  for (const std::string &key : keys) text += (text.empty() ? "" : ", ") + key;
  return text;
}

// `missing`: the keys a Read got no answer of its own for.
int RunResult(DtuPageRun run, const char *what, const CliPortSession &session,
              const std::vector<std::string> &missing = {}) {
  // The port-lost report follows the outcomes of the lines it dropped: it is
  // printed before the verb ends.
  if (run == DtuPageRun::kPortClosed) DtuPageWaitUntil([&] { return session.Lost(); }, 1000);
  // A port that went away explains a silence and outweighs what came before
  // it, but not a verdict on answers that did come.
  const bool verdict_on_answers = run == DtuPageRun::kIncomplete || run == DtuPageRun::kFailed;
  if (session.Lost() && !verdict_on_answers) return kExitPortLost;
  const VarnokOutcome outcome = VarnokPageRunOutcome(run);
  if (outcome.announce) {
    const std::string keys = run == DtuPageRun::kIncomplete ? ": " + Joined(missing) : std::string();
    std::fprintf(stderr, "varnokctl: %s: %s%s\n", what, outcome.text, keys.c_str());
  }
  return outcome.exit_code;
}

// Shared start of both verbs: arguments and the page; -1 to go on.
int Prepare(const char *verb, int argc, char **argv, PageVerbArgs &parsed, std::unique_ptr<DtuPage> &page) {
  if (WantsHelp(argc, argv)) {
    std::fputs(PageVerbHelp(verb).c_str(), stdout);
    return kExitOk;
  }
  std::string error;
  if (!ParseArgs(argc, argv, parsed, error)) {
    std::fprintf(stderr, "varnokctl %s: %s\n%s", verb, error.c_str(), PageVerbHelp(verb).c_str());
    return kExitUsage;
  }
  page = DtuCreatePage(parsed.page);
  if (!page) {
    std::fprintf(stderr, "varnokctl %s: unknown page \"%s\"\n%s", verb, parsed.page.c_str(), PageVerbHelp(verb).c_str());
    return kExitUsage;
  }
  if (!PageSelectPacket(*page, parsed.packet, error)) {
    std::fprintf(stderr, "varnokctl %s: %s\n", verb, error.c_str());
    return kExitUsage;
  }
  return -1;
}

}  // namespace

// Applies --packet: only a page with groups (the business packets) has
// packets to choose from.
bool PageSelectPacket(DtuPage &page, const std::string &packet, std::string &error) {
  if (packet.empty()) return true;
  const std::vector<std::string> groups = page.GroupNames();
  if (groups.empty()) return error = "--packet applies to the bhu page only", false;
  if (!page.SelectGroup(packet)) {
    std::string names;
    for (size_t i = 0; i < groups.size(); ++i) {
      names += (i == 0 ? "" : i + 1 == groups.size() ? " or " : ", ") + groups[i];
    }
    return error = "unknown packet \"" + packet + "\" (" + names + ")", false;
  }
  return true;
}

std::string PageListHelp() {
  std::ostringstream text;
  for (const DtuPageCatalogRow &row : DtuPageCatalog()) {
    if (row.cli_name == nullptr) continue;
    const std::string name = row.cli_name;
    text << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') << " "
         << DtuLangText(row.tree_text);
    // A page of several groups (the business packets) says how to pick one.
    const std::vector<std::string> groups = DtuCreatePage(name)->GroupNames();
    for (size_t i = 0; i < groups.size(); ++i) text << (i == 0 ? " (--packet " : "|") << groups[i];
    text << (groups.empty() ? "" : ")") << "\n";
  }
  return text.str();
}

std::string PageVerbHelp(const char *verb) {
  std::ostringstream text;
  const bool set = std::string(verb) == "set";
  text << "usage: varnokctl " << verb << " -p PORT [options] PAGE" << (set ? " name=value..." : " [--json]") << "\n";
  text << (set ? "  Reads the page from the device, changes the named fields (lists by index),\n"
                 "  writes the page and waits for the device to confirm it.\n"
               : "  Reads the page from the device and prints its fields as name=value\n"
                 "  (lists by their selected index, -1 when none).\n"
                 "  --json              print one JSON object instead, on one line:\n"
                 "                      {\"page\":\"mqtt\",\"fields\":{\"Server\":\"...\",\"Port\":\"1883\",...}}\n"
                 "                      every value a string as above; bytes that are not UTF-8\n"
                 "                      are written as \\xNN; on failure nothing is printed\n");
  text << CliPortOptionsHelp() << "  (default timeout: 10 s)\n"
       << "  --packet P          bhu only: login, heart, data or header (default login);\n"
       << "                      the field names end in _login, _heartBeat, _UserData or _header\n"
       << "exit: 0 done, 1 refused, 2 usage, 3 no answer in time, 4 port in use, 5 port lost,\n"
       << "      6 the device answered a line with an error, or a paced page (Modbus cache)\n"
       << "        ended in a failure it reported\n"
       << "pages ('varnokctl fields PAGE' lists a page's fields):\n"
       << PageListHelp();
  return text.str();
}

int RunPageReadVerb(int argc, char **argv) {
  PageVerbArgs parsed;
  std::unique_ptr<DtuPage> page;
  int early = Prepare("read", argc, argv, parsed, page);
  if (early >= 0) return early;
  if (!parsed.assignments.empty()) {
    std::fprintf(stderr, "varnokctl read: unexpected argument \"%s\"\n", parsed.assignments[0].c_str());
    return kExitUsage;
  }
  CliPortSession session;
  const int opened = session.Open(parsed.port.serial);
  if (opened != kExitOk) return opened;
  std::vector<std::string> missing;
  const DtuPageRun run = DtuPageRunRead(*page, parsed.timeout_ms, &missing);
  const int code = RunResult(run, "read", session, missing);
  if (code != kExitOk) return code;  // blanks and cut values are never printed as values
  if (!parsed.json) {
    PrintFields(*page);
    return code;
  }
  const std::string json = PageFieldsJson(*page);
  if (json.empty()) {
    std::fprintf(stderr, "varnokctl read: out of memory for the JSON text\n");
    return kExitRefused;
  }
  std::fputs(json.c_str(), stdout);
  return code;
}

int RunPageSetVerb(int argc, char **argv) {
  PageVerbArgs parsed;
  std::unique_ptr<DtuPage> page;
  int early = Prepare("set", argc, argv, parsed, page);
  if (early >= 0) return early;
  if (parsed.assignments.empty()) {
    std::fprintf(stderr, "varnokctl set: no name=value given\n");
    return kExitUsage;
  }
  if (parsed.json) {
    std::fprintf(stderr, "varnokctl set: --json applies to read only\n");
    return kExitUsage;
  }
  Assignments pairs;
  if (!ParseAssignments(*page, parsed.assignments, pairs)) return kExitRefused;
  CliPortSession session;
  const int opened = session.Open(parsed.port.serial);
  if (opened != kExitOk) return opened;
  // The page writes all of its fields: read them first, so the fields not
  // named keep what the device has. A Read that is not complete would write
  // blanks or cut values over the device's settings: nothing is written.
  std::vector<std::string> missing;
  const DtuPageRun read = DtuPageRunRead(*page, parsed.timeout_ms, &missing);
  const int code = RunResult(read, "read before set", session, missing);
  if (code != kExitOk) {
    if (read == DtuPageRun::kIncomplete) std::fprintf(stderr, "varnokctl set: nothing written\n");
    return code;
  }
  for (const auto &[name, value] : pairs) {
    std::string error;
    page->SetField(name, value, error);
  }
  return RunResult(DtuPageRunSet(*page, parsed.timeout_ms), "set", session);
}
