// varnokctl fields PAGE [--packet P]: what `set` takes on a page, one field
// a line, from the same page object `read` and `set` drive:
//
//   Server      text, at most 127 bytes
//   Qos         0..2
//   LogLevel    0..3    Log Level: 0 DEBUG, 1 WARN, 2 INFO, 3 ERROR
//
// Columns: the field's name; a list's index range, a number's range, or a
// text's limit where the page declares one; the window's label for it (in
// the current language) and a list's entries. No port is opened.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/dtu_lang.h"
#include "cli/page_verbs.h"
#include "cli/verb_registry.h"
#include "pages/dtu_page_runner.h"

namespace {

const char kUsage[] =
    "usage: varnokctl fields PAGE [--packet P]\n"
    "  Prints the fields of a page that read and set use, one a line: the name; what it\n"
    "  takes (a list index range such as 0..3, a number's range, a text's limit in bytes);\n"
    "  what it is (the window's label, a list's entries). No port is opened.\n"
    "  --packet P          bhu only: login, heart, data or header (default login)\n"
    "exit: 0 done, 2 usage or an unknown page\n"
    "pages:\n";

struct FieldsArgs {
  std::string page;
  std::string packet;
};

// False with the message in `error`; `help` for --help.
bool ParseFieldsArgs(int argc, char **argv, FieldsArgs &args, bool &help, std::string &error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return help = true, true;
    if (arg == "--packet") {
      if (i + 1 >= argc) return error = "option --packet needs a value", false;
      args.packet = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return error = "unknown option " + arg, false;
    } else if (args.page.empty()) {
      args.page = arg;
    } else {
      return error = "unexpected argument \"" + arg + "\"", false;
    }
  }
  if (args.page.empty()) return error = "no page given", false;
  return true;
}

// What the value may be: a list's or number's range, a text's limit.
std::string TakesText(const DtuPageFieldInfo &info) {
  if (info.is_list) return "0.." + std::to_string(info.list_size - 1);
  if (info.is_number && info.Ranged()) {
    return std::to_string(info.min_value) + ".." + std::to_string(info.max_value);
  }
  if (info.is_number) return "number";
  if (info.text_limit > 0) return "text, at most " + std::to_string(info.text_limit) + " bytes";
  return "text";
}

// What the field is: the window's label and a list's entries by index.
std::string IsText(const DtuPageFieldInfo &info) {
  std::string text = info.label ? DtuLangText(*info.label) : "";
  if (info.is_list && info.items != nullptr) {
    const std::vector<std::string> items = info.items();
    text += text.empty() ? "" : ": ";
    for (size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : ", ") + std::to_string(i) + " " + items[i];
  }
  return text;
}

std::string Padded(const std::string &text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

void PrintFieldLines(const std::vector<DtuPageFieldInfo> &fields) {
  size_t name_width = 0, takes_width = 0;
  for (const DtuPageFieldInfo &info : fields) {
    name_width = std::max(name_width, info.name.size());
    takes_width = std::max(takes_width, TakesText(info).size());
  }
  for (const DtuPageFieldInfo &info : fields) {
    const std::string is = IsText(info);
    std::string line = Padded(info.name, name_width + 2) + (is.empty() ? TakesText(info)
                                                                       : Padded(TakesText(info), takes_width + 2) + is);
    std::printf("%s\n", line.c_str());
  }
}

int RunFields(int argc, char **argv) {
  FieldsArgs args;
  bool help = false;
  std::string error;
  if (!ParseFieldsArgs(argc, argv, args, help, error)) {
    std::fprintf(stderr, "varnokctl fields: %s\n%s%s", error.c_str(), kUsage, PageListHelp().c_str());
    return kExitUsage;
  }
  if (help) {
    std::printf("%s%s", kUsage, PageListHelp().c_str());
    return kExitOk;
  }
  std::unique_ptr<DtuPage> page = DtuCreatePage(args.page);
  if (!page) {
    std::fprintf(stderr, "varnokctl fields: unknown page \"%s\"; pages:\n%s", args.page.c_str(),
                 PageListHelp().c_str());
    return kExitUsage;
  }
  if (!PageSelectPacket(*page, args.packet, error)) {
    std::fprintf(stderr, "varnokctl fields: %s\n", error.c_str());
    return kExitUsage;
  }
  PrintFieldLines(page->Fields());
  return kExitOk;
}

VarnokVerbRegistrar fields_verb("fields", "list a settings page's fields: name, range or limit, label", RunFields);

}  // namespace
