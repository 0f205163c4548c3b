#include "cli/page_json.h"

#include <cjson/cJSON.h>

#include <memory>

#include "base/dtu_printable.h"
#include "pages/kit/dtu_page.h"

std::string PageFieldsJson(const DtuPage &page) {
  std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_CreateObject(), &cJSON_Delete);
  if (root) cJSON_AddStringToObject(root.get(), "page", page.PageName());
  cJSON *fields = root ? cJSON_AddObjectToObject(root.get(), "fields") : nullptr;
  if (fields == nullptr) return std::string();
  for (const DtuPageFieldInfo &info : page.Fields()) {
    std::string value;
    page.GetField(info.name, value);
    cJSON_AddStringToObject(fields, info.name.c_str(), DtuEscapeInvalidUtf8(value).c_str());
  }
  std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(root.get()), &cJSON_free);
  return text ? std::string(text.get()) + "\n" : std::string();  // empty: out of memory
}
