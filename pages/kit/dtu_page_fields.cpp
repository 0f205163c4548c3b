#include "pages/kit/dtu_page_fields.h"

#include <strings.h>

#include "base/dtu_printable.h"
#include "pages/kit/dtu_page_send.h"

bool DtuFieldNameEquals(const std::string &a, const char *b) {
  return strcasecmp(a.c_str(), b) == 0;
}

bool DtuTextValueAllowed(const std::string &name, const std::string &value, std::string &error) {
  if (!DtuHasControlCharacter(value)) return true;
  error = DtuPageFormatText(DtuTextId::kControlCharRefused, name, 0);
  return false;
}

bool DtuParseListIndex(const std::string &value, int list_size, int &index, std::string &error) {
  if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) {
    error = "expects a list index 0.." + std::to_string(list_size - 1) + ", got \"" + value + "\"";
    return false;
  }
  int parsed = std::atoi(value.c_str());
  if (parsed >= list_size) {
    error = "expects a list index 0.." + std::to_string(list_size - 1) + ", got " + value;
    return false;
  }
  index = parsed;
  return true;
}
