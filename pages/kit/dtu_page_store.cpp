#include "pages/kit/dtu_page_store.h"

#include <sys/stat.h>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "pages/kit/dtu_page_send.h"
#include "base/dtu_text_id.h"

namespace {

std::string &ConfigPath() {
  static std::string path = kDtuConfigFileName;
  return path;
}

bool FileExists(const std::string &path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

const std::string &DtuPageConfigPath() { return ConfigPath(); }

void DtuPageSetConfigPath(const std::string &path) { ConfigPath() = path; }

bool DtuPageLoadConfig(DtuConfig &config) {
  if (config.LoadFromFile(ConfigPath())) return true;
  DtuWarningBox(DtuLangText(DtuTextId::kReadConfigFileFailed));
  return false;
}

bool DtuPageLoadConfigForSave(DtuConfig &config) {
  if (config.LoadFromFile(ConfigPath())) return true;
  DtuWarningBox(DtuLangText(DtuTextId::kReadConfigFileFailed));
  if (FileExists(ConfigPath())) {
    DTU_LOG("%s exists but could not be read, not overwritten.", ConfigPath().c_str());
    return false;
  }
  config = DtuConfig();
  return true;
}

bool DtuPageSaveConfig(DtuConfig &config, DtuTextId ok_text, DtuTextId fail_text) {
  bool ok = config.SaveToFile(ConfigPath());
  DtuMessageBox(DtuLangText(ok ? ok_text : fail_text), ok ? DtuMessageKind::kInformation : DtuMessageKind::kWarning);
  return ok;
}

bool DtuPageFitsCapacity(const char *field, const std::string &text, size_t capacity) {
  if (text.size() <= capacity) return true;
  DTU_LOG("%s too long for the file : %d.", field, static_cast<int>(text.size()));
  DtuWarningBox(DtuPageFormatText(DtuTextId::kFieldOverCapacity, field, static_cast<int>(capacity)));
  return false;
}
