// Fuzz target: the configuration file readers on arbitrary bytes (a
// hand-edited, truncated or binary file): the lookup index, the per-key scan,
// the record's load and save, the carry-over of foreign sections and the
// [iotInfo] section reader and key replacement.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/dtu_config.h"
#include "config/dtu_ini.h"
#include "config/dtu_iot_info.h"

namespace {

// The index must answer as the scan of the same bytes does.
void CheckIndexAgainstScan(const std::string &text, const DtuIniIndex &index) {
  static const char *const kLookups[][2] = {{"UART", "Baudrate"}, {"iotInfo", "username"}, {"DECODE", "tag11"},
                                            {"MQTT", "Password"},  {"a", "b"},                {"", ""}};
  FILE *file = std::tmpfile();
  if (file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file);
  for (const auto &lookup : kLookups) {
    std::string scanned, indexed;
    bool scan_found = DtuConfig::GetValue(file, lookup[0], lookup[1], scanned);
    bool index_found = index.Find(lookup[0], lookup[1], indexed);
    if (scan_found != index_found || scanned != indexed) __builtin_trap();
  }
  std::fclose(file);
}

// Loading what a save wrote and saving again changes nothing (after the
// first save has trimmed and cut what the file format cannot hold).
void CheckSaveLoadIsStable(const DtuIniIndex &index) {
  DtuConfig first;
  first.ReadFrom(index);
  std::string saved = first.FormatOwnedSections();
  for (int round = 0; round < 2; ++round) {
    DtuIniIndex reread;
    reread.Parse(saved);
    DtuConfig again;
    again.ReadFrom(reread);
    std::string resaved = again.FormatOwnedSections();
    if (round == 1 && resaved != saved) __builtin_trap();
    saved = resaved;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  DtuIniIndex index;
  index.Parse(text);
  CheckIndexAgainstScan(text, index);
  CheckSaveLoadIsStable(index);

  std::string kept = DtuIniForeignSections(text, &DtuConfig::IsOwnedSection);
  if (kept.size() > text.size()) __builtin_trap();

  DtuIotInfo info;
  DtuIniParseText(text, [&info](const std::string &s, const std::string &k, const std::string &v) {
    if (s.size() > 49 || k.size() > 49 || v.size() > 199) __builtin_trap();
    return iotInfoHandler(info, s, k, v);
  });
  std::string body = text;
  iotInfoReplaceKey(body, "password", "new");
  if (body.find("password = new") == std::string::npos) __builtin_trap();
  return 0;
}
