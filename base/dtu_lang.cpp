#include "base/dtu_lang.h"

std::atomic<int> DtuLangFlag{1};

const char *DtuLangText(int id) {
  for (int i = 0; i < kDtuLangTableSize; ++i) {
    if (kDtuLangTable[i].id == id) {
      return DtuLangFlag.load() == 1 ? kDtuLangTable[i].english : kDtuLangTable[i].chinese;
    }
  }
  return "";
}
