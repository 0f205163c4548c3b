// `varnokctl read --json`: a page's fields as one JSON object,
//
//   {"page":"mqtt","fields":{"Server":"broker.local","Port":"1883",...}}
//
// every value a string, as `read` prints it (a list field as its index, -1
// when none is selected), in the page's order.
#pragma once

#include <string>

class DtuPage;

// One line, ending in a line feed; empty when memory ran out. Control characters are JSON escapes, so
// the value is exact; bytes that are not UTF-8 are written as "\xff" text.
std::string PageFieldsJson(const DtuPage &page);
