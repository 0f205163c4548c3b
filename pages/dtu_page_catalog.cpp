#include "pages/dtu_page_catalog.h"

#include <algorithm>

#include "base/dtu_log.h"

// Written by pages/CMakeLists.txt: refers to every family's registration.
int DtuPageFamiliesLinked();

namespace {

using C = DtuPageCode;
using T = DtuTextId;

// The tree's frame: its root and the Help item, which have no page logic.
// The families add the rest.
std::vector<DtuPageCatalogRow> &Rows() {
  static std::vector<DtuPageCatalogRow> *const rows = new std::vector<DtuPageCatalogRow>{
      {C::kRoot, T::kTreeDtuConfigTool, C::kNone, C::kCmdPort, nullptr, nullptr},
      {C::kHelp, T::kTreeHelp, C::kRoot, C::kHelp, nullptr, nullptr},
  };
  return *rows;
}

std::vector<DtuPageJoin> &Joins() {
  static std::vector<DtuPageJoin> *const joins = new std::vector<DtuPageJoin>;
  return *joins;
}

bool CodeBefore(const DtuPageCatalogRow &a, const DtuPageCatalogRow &b) {
  return static_cast<int>(a.code) < static_cast<int>(b.code);
}

}  // namespace

int DtuRegisterPages(const std::vector<DtuPageCatalogRow> &rows) {
  int added = 0;
  for (const DtuPageCatalogRow &row : rows) {
    if (DtuPageCatalogFind(row.code) != nullptr) {
      DTU_LOG("page code %d registered twice; the second left out.", static_cast<int>(row.code));
      continue;
    }
    std::vector<DtuPageCatalogRow> &all = Rows();
    all.insert(std::upper_bound(all.begin(), all.end(), row, &CodeBefore), row);
    ++added;
  }
  return added;
}

int DtuRegisterPageJoin(DtuPageJoin join) {
  Joins().push_back(join);
  return static_cast<int>(Joins().size());
}

const std::vector<DtuPageJoin> &DtuPageJoins() {
  DtuPageCatalog();
  return Joins();
}

bool DtuPageCodeKnown(int code) {
  const bool fixed = code >= static_cast<int>(C::kRoot) && code <= static_cast<int>(C::kHelp);
  return fixed || DtuPageCatalogFind(static_cast<DtuPageCode>(code)) != nullptr;
}

const std::vector<DtuPageCatalogRow> &DtuPageCatalog() {
  static const int families = DtuPageFamiliesLinked();
  (void)families;
  return Rows();
}

const DtuPageCatalogRow *DtuPageCatalogFind(DtuPageCode code) {
  for (const DtuPageCatalogRow &row : Rows()) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

DtuPageCode DtuPageShownBy(int code) {
  if (!DtuPageCodeKnown(code)) return C::kCmdPort;
  const DtuPageCatalogRow *row = DtuPageCatalogFind(static_cast<DtuPageCode>(code));
  return row ? row->shows : static_cast<DtuPageCode>(code);
}
