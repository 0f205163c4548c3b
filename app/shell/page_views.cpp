#include "app/shell/page_views.h"

#include <algorithm>

#include "base/dtu_log.h"

// Written by app/CMakeLists.txt: refers to every view family's registration.
int DtuViewFamiliesLinked();

namespace {

std::vector<DtuPageViewRow> &Rows() {
  static std::vector<DtuPageViewRow> *const rows = new std::vector<DtuPageViewRow>;
  return *rows;
}

bool CodeBefore(const DtuPageViewRow &a, const DtuPageViewRow &b) {
  return static_cast<int>(a.code) < static_cast<int>(b.code);
}

}  // namespace

int DtuRegisterViews(const std::vector<DtuPageViewRow> &rows) {
  std::vector<DtuPageViewRow> &all = Rows();
  int added = 0;
  for (const DtuPageViewRow &row : rows) {
    auto same = std::find_if(all.begin(), all.end(), [&row](const DtuPageViewRow &r) { return r.code == row.code; });
    if (same != all.end()) {
      DTU_LOG("view of page code %d registered twice; the second left out.", static_cast<int>(row.code));
      continue;
    }
    all.insert(std::upper_bound(all.begin(), all.end(), row, &CodeBefore), row);
    ++added;
  }
  return added;
}

const std::vector<DtuPageViewRow> &DtuPageViews() {
  static const int families = DtuViewFamiliesLinked();
  (void)families;
  return Rows();
}
