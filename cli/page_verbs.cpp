#include "cli/page_verbs.h"

#include <ostream>
#include <sstream>

#include "base/dtu_message.h"
#include "cli/page_verb_port.h"
#include "pages/dtu_page_runner.h"

namespace {

struct PageVerbArgs {
  std::string port;
  int baud = 115200;
  int timeout_ms = 10000;
  std::string page;
  std::vector<std::string> assignments;  // name=value
  bool help = false;
};

bool ParseNumber(const std::string &text, int &out) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::stoi(text);
  return true;
}

bool ParseArgs(const std::vector<std::string> &args, PageVerbArgs &parsed, std::string &error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "-h" || a == "--help") {
      parsed.help = true;
    } else if ((a == "-p" || a == "--port") && has_value) {
      parsed.port = args[++i];
    } else if ((a == "-b" || a == "--baud") && has_value) {
      if (!ParseNumber(args[++i], parsed.baud)) return error = "bad baud rate: " + args[i], false;
    } else if ((a == "-t" || a == "--timeout") && has_value) {
      int seconds = 0;
      if (!ParseNumber(args[++i], seconds) || seconds == 0) return error = "bad time-out: " + args[i], false;
      parsed.timeout_ms = seconds * 1000;
    } else if (!a.empty() && a[0] == '-') {
      return error = "unknown option: " + a, false;
    } else if (parsed.page.empty()) {
      parsed.page = a;
    } else {
      parsed.assignments.push_back(a);
    }
  }
  if (parsed.help) return true;
  if (parsed.port.empty()) return error = "no port given (-p PORT)", false;
  if (parsed.page.empty()) return error = "no page given", false;
  return true;
}

void PrintFields(const DtuPage &page, std::ostream &out) {
  for (const DtuPageFieldInfo &info : page.Fields()) {
    std::string value;
    page.GetField(info.name, value);
    out << info.name << "=" << value << "\n";
  }
}

using Assignments = std::vector<std::pair<std::string, std::string>>;

// Splits and checks every name=value on a scratch page of the same kind, so
// a bad argument is reported before anything is sent.
bool ParseAssignments(const std::string &page_name, const std::vector<std::string> &args, Assignments &pairs,
                      std::ostream &err) {
  std::unique_ptr<DtuPage> probe = DtuCreatePage(page_name);
  for (const std::string &a : args) {
    size_t eq = a.find('=');
    if (eq == std::string::npos || eq == 0) {
      err << "varnokctl set: expected name=value, got \"" << a << "\"\n";
      return false;
    }
    pairs.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    std::string error;
    if (!probe->SetField(pairs.back().first, pairs.back().second, error)) {
      err << "varnokctl set: " << error << "\n";
      return false;
    }
  }
  return true;
}

int RunResult(DtuPageRun run, const char *what, std::ostream &err) {
  switch (run) {
    case DtuPageRun::kDone: return kPageVerbOk;
    case DtuPageRun::kRefused: return kPageVerbRefused;
    case DtuPageRun::kTimedOut: break;
  }
  err << what << ": no answer in time\n";
  return kPageVerbTimedOut;
}

// Shared start of both verbs: arguments, the page, the open port.
int Prepare(const char *verb, const std::vector<std::string> &args, PageVerbArgs &parsed,
            std::unique_ptr<DtuPage> &page, PageVerbPort &port, std::ostream &out, std::ostream &err) {
  std::string error;
  if (!ParseArgs(args, parsed, error)) {
    err << "varnokctl " << verb << ": " << error << "\n" << PageVerbHelp(verb);
    return kPageVerbUsage;
  }
  if (parsed.help) {
    out << PageVerbHelp(verb);
    return kPageVerbOk;
  }
  page = DtuCreatePage(parsed.page);
  if (!page) {
    err << "varnokctl " << verb << ": unknown page \"" << parsed.page << "\"\n" << PageVerbHelp(verb);
    return kPageVerbUsage;
  }
  if (!port.Open(parsed.port, parsed.baud, error)) {
    err << "varnokctl " << verb << ": " << parsed.port << ": " << error << "\n";
    return kPageVerbRefused;
  }
  return -1;
}

}  // namespace

std::string PageVerbHelp(const char *verb) {
  std::ostringstream text;
  const bool set = std::string(verb) == "set";
  text << "usage: varnokctl " << verb << " -p PORT [-b BAUD] [-t SECONDS] PAGE" << (set ? " name=value..." : "")
       << "\n";
  text << (set ? "  Reads the page from the device, changes the named fields (lists by index),\n"
                 "  writes the page and waits for the device to confirm.\n"
               : "  Reads the page from the device and prints its fields as name=value\n"
                 "  (lists by their selected index, -1 when none).\n");
  text << "  -p PORT     configuration serial port of the device\n"
          "  -b BAUD     its baud rate (default 115200)\n"
          "  -t SECONDS  how long to wait for the answers (default 10)\n"
          "exit: 0 done, 1 refused, 2 usage, 3 no answer in time\n"
          "pages and their fields:\n";
  for (const std::string &name : DtuPageNames()) {
    std::unique_ptr<DtuPage> page = DtuCreatePage(name);
    text << "  " << name << ":";
    for (const DtuPageFieldInfo &info : page->Fields()) {
      text << " " << info.name;
      if (info.is_list) text << "[0-" << info.list_size - 1 << "]";
    }
    text << "\n";
  }
  return text.str();
}

int RunPageReadVerb(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
  PageVerbArgs parsed;
  std::unique_ptr<DtuPage> page;
  PageVerbPort port;
  int early = Prepare("read", args, parsed, page, port, out, err);
  if (early >= 0) return early;
  if (!parsed.assignments.empty()) {
    err << "varnokctl read: unexpected argument \"" << parsed.assignments[0] << "\"\n";
    return kPageVerbUsage;
  }
  int code = RunResult(DtuPageRunRead(*page, parsed.timeout_ms), "read", err);
  if (code == kPageVerbOk) PrintFields(*page, out);
  return code;
}

int RunPageSetVerb(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
  PageVerbArgs parsed;
  std::unique_ptr<DtuPage> page;
  PageVerbPort port;
  int early = Prepare("set", args, parsed, page, port, out, err);
  if (early >= 0) return early;
  if (parsed.assignments.empty()) {
    err << "varnokctl set: no name=value given\n";
    return kPageVerbUsage;
  }
  Assignments pairs;
  if (!ParseAssignments(parsed.page, parsed.assignments, pairs, err)) return kPageVerbRefused;
  // The page writes all of its fields: read them first, so the fields not
  // named keep what the device has.
  int code = RunResult(DtuPageRunRead(*page, parsed.timeout_ms), "read before set", err);
  if (code != kPageVerbOk) return code;
  for (const auto &[name, value] : pairs) {
    std::string error;
    page->SetField(name, value, error);
  }
  return RunResult(DtuPageRunSet(*page, parsed.timeout_ms), "set", err);
}
