#include "base/dtu_lang.h"

#include <cstring>
#include <deque>
#include <mutex>

std::atomic<int> DtuLangFlag{1};

namespace {

// Ids of added texts start here, above every id of the table.
constexpr int kFirstAddedId = 100000;

struct AddedTexts {
  std::mutex mutex;
  std::deque<DtuLangRow> rows;  // row i has id kFirstAddedId + i
};

AddedTexts &Added() {
  static AddedTexts *const added = new AddedTexts;
  return *added;
}

const char *Column(const DtuLangRow &row) { return DtuLangFlag.load() == 1 ? row.english : row.chinese; }

}  // namespace

DtuTextId DtuLangAddText(const char *english, const char *chinese) {
  AddedTexts &added = Added();
  std::lock_guard<std::mutex> lock(added.mutex);
  for (const DtuLangRow &row : added.rows) {
    if (std::strcmp(row.english, english) == 0 && std::strcmp(row.chinese, chinese) == 0) {
      return static_cast<DtuTextId>(row.id);
    }
  }
  const int id = kFirstAddedId + static_cast<int>(added.rows.size());
  added.rows.push_back({id, chinese, english});
  return static_cast<DtuTextId>(id);
}

const char *DtuLangText(int id) {
  if (id >= kFirstAddedId) {
    AddedTexts &added = Added();
    std::lock_guard<std::mutex> lock(added.mutex);
    const size_t index = static_cast<size_t>(id - kFirstAddedId);
    return index < added.rows.size() ? Column(added.rows[index]) : "";
  }
  for (int i = 0; i < kDtuLangTableSize; ++i) {
    if (kDtuLangTable[i].id == id) return Column(kDtuLangTable[i]);
  }
  return "";
}
