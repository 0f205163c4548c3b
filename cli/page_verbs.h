// `varnokctl read` and `varnokctl set`: a settings page driven without any
// widget, through the same page object the GUI uses.
//
//   varnokctl read -p PORT PAGE
//   varnokctl set  -p PORT PAGE name=value...
//
// Exit codes: 0 done, 1 the page refused (port not open, a field too long,
// a bad name or value), 2 usage, 3 no answer / no confirmation in time.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

constexpr int kPageVerbOk = 0;
constexpr int kPageVerbRefused = 1;
constexpr int kPageVerbUsage = 2;
constexpr int kPageVerbTimedOut = 3;

// args: everything after the verb.
int RunPageReadVerb(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int RunPageSetVerb(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

// The help text: options, page names and every page's field names.
std::string PageVerbHelp(const char *verb);
