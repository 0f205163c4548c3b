// `varnokctl read` and `varnokctl set`: a settings page driven without any
// widget, through the same page object the GUI uses.
//
//   varnokctl read -p PORT PAGE
//   varnokctl set  -p PORT PAGE name=value...
//
// Exit codes (provision/varnokctl_outcome.h): 0 done, 1 the page refused (port not
// open, a field too long, a bad field name or value), 2 usage, 3 no answer
// or no confirmation in time; 4 and 5 as for every port verb.
#pragma once

#include <string>

class DtuPage;

// argv[0] is the verb's name.
int RunPageReadVerb(int argc, char **argv);
int RunPageSetVerb(int argc, char **argv);

// The help text: options and the pages, one line each.
std::string PageVerbHelp(const char *verb);
// Applies --packet PACKET (empty: none given) to a page; false with the
// reason in `error` for a page without packets or an unknown packet.
bool PageSelectPacket(DtuPage &page, const std::string &packet, std::string &error);
// One line per page varnokctl reaches: its name and the page tree's title
// for it, in the current language.
std::string PageListHelp();
