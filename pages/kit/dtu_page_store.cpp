#include "pages/kit/dtu_page_store.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_send.h"
#include "base/dtu_text_id.h"

namespace {

std::string &ConfigPath() {
  static std::string path = kDtuConfigFileName;
  return path;
}

// At most a few names, then how many more: a section an older file lacks
// can miss dozens of keys.
std::string Listed(const std::vector<std::string> &names, const char *separator) {
  constexpr size_t kShown = 4;
  std::string text;
  for (size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? separator : "") + names[i];
  if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
  return text;
}

bool FileExists(const std::string &path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

const std::string &DtuPageConfigPath() { return ConfigPath(); }

std::string DtuPageFileText(DtuTextId text_id) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(ConfigPath(), error);
  const std::string file = error ? ConfigPath() : absolute.lexically_normal().string();
  char text[1024];
  std::snprintf(text, sizeof text, DtuLangText(DtuTextId::kFileNamed), DtuLangText(text_id), file.c_str());
  return text;
}

void DtuPageSetConfigPath(const std::string &path) { ConfigPath() = path; }

bool DtuPageLoadConfig(DtuConfig &config) {
  if (config.LoadFromFile(ConfigPath())) return true;
  DtuWarningBox(DtuPageFileText(DtuTextId::kReadConfigFileFailed));
  return false;
}

bool DtuPageLoadConfigForSave(DtuConfig &config) {
  if (config.LoadFromFile(ConfigPath())) return true;
  DtuWarningBox(DtuPageFileText(DtuTextId::kReadConfigFileFailed));
  if (FileExists(ConfigPath())) {
    DTU_LOG("%s exists but could not be read, not overwritten.", ConfigPath().c_str());
    return false;
  }
  config = DtuConfig();
  return true;
}

bool DtuPageSaveConfig(DtuConfig &config, DtuTextId ok_text, DtuTextId fail_text) {
  bool ok = config.SaveToFile(ConfigPath());
  DtuMessageBox(DtuPageFileText(ok ? ok_text : fail_text), ok ? DtuMessageKind::kInformation : DtuMessageKind::kWarning);
  return ok;
}

bool DtuPageFitsCapacity(const char *field, const std::string &text, size_t capacity) {
  if (text.size() <= capacity) return true;
  DTU_LOG("%s too long for the file : %d.", field, static_cast<int>(text.size()));
  DtuWarningBox(DtuPageFormatText(DtuTextId::kFieldOverCapacity, field, static_cast<int>(capacity)));
  return false;
}

DtuPageInFile DtuPageFoundIn(const DtuPage &page, const DtuConfig &config, std::string &why) {
  const auto *stored = dynamic_cast<const DtuStoredPage *>(&page);
  if (stored == nullptr) return why = "the page keeps nothing in the file", DtuPageInFile::kNotInFile;
  std::vector<std::string> lacking;
  std::vector<std::string> unusable;
  for (const std::string &section : stored->FileSections()) {
    const DtuConfigNotes::Section &notes = config.FileNotes().Of(section);
    const std::string name = "[" + section + "]";
    // A section of nothing but empty values (the template's) holds no settings.
    if (notes.filled == 0) {
      lacking.push_back("no " + name + " settings");
      continue;
    }
    if (!notes.missing.empty()) lacking.push_back(name + " lacks " + Listed(notes.missing, ", "));
    for (const std::string &problem : notes.unusable) unusable.push_back(name + " " + problem);
  }
  if (!lacking.empty()) return why = Listed(lacking, "; "), DtuPageInFile::kNotInFile;
  if (!unusable.empty()) return why = Listed(unusable, "; "), DtuPageInFile::kUnusable;
  return DtuPageInFile::kHeld;
}
