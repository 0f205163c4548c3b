// Bilingual text table: every user-visible text that exists in two languages.
#pragma once

#include <atomic>

#include "base/dtu_text_id.h"

// 1 selects the English column, any other value the Chinese column.
extern std::atomic<int> DtuLangFlag;

struct DtuLangRow {
  int id;
  const char *chinese;
  const char *english;
};

// The text of the column DtuLangFlag selects; the first row with the id wins;
// an id that is not in the table gives the empty text.
const char *DtuLangText(int id);
// The same by name: what code outside the table uses.
inline const char *DtuLangText(DtuTextId id) { return DtuLangText(static_cast<int>(id)); }

// A text a page brings from its own folder (a page the table does not know),
// in both languages: it gets an id after every id of the table, the same for
// the same pair, and DtuTextId like any other. The pointers must live as long
// as the program (string literals). Texts are added while the program starts.
DtuTextId DtuLangAddText(const char *english, const char *chinese);

// The constant table (defined in dtu_lang_table.cpp) and its row count.
extern const DtuLangRow kDtuLangTable[];
extern const int kDtuLangTableSize;
