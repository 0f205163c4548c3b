// The page tree the window shows is the catalog's: every row an item, under
// its parent, with its code, in catalog order; and the items the window has
// always had keep their places and codes.
#include <QTreeWidgetItemIterator>

#include "app_fixture.h"
#include "pages/dtu_page_catalog.h"

namespace {

struct TreeItem {
  QString text;
  QString parent;  // empty: a top-level item
  int code;
};

std::vector<TreeItem> WindowTree(QTreeWidget *tree) {
  std::vector<TreeItem> items;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    QTreeWidgetItem *parent = (*it)->parent();
    items.push_back({(*it)->text(0), parent ? parent->text(0) : QString(), (*it)->data(0, Qt::UserRole).toInt()});
  }
  return items;
}

}  // namespace

TEST_F(MainWindowTest, TreeHoldsEveryCatalogRowUnderItsParentWithItsCode) {
  const std::vector<TreeItem> items = WindowTree(window_->PageTree());
  const auto &catalog = DtuPageCatalog();
  ASSERT_EQ(items.size(), catalog.size());
  for (size_t i = 0; i < catalog.size(); ++i) {
    const DtuPageCatalogRow &row = catalog[i];
    const DtuPageCatalogRow *parent = DtuPageCatalogFind(row.parent);
    EXPECT_EQ(items[i].text, QString::fromUtf8(DtuLangText(row.tree_text))) << i;
    EXPECT_EQ(items[i].parent, parent ? QString::fromUtf8(DtuLangText(parent->tree_text)) : QString()) << i;
    EXPECT_EQ(items[i].code, static_cast<int>(row.code)) << i;
  }
}

TEST_F(MainWindowTest, TreeKeepsTheItemsAndCodesTheWindowHasAlwaysHad) {
  const TreeItem expected[] = {
      {"DTU Config Tool", "", 0},         {"Config Port", "DTU Config Tool", 1},
      {"Data Port-RS485", "DTU Config Tool", 2}, {"UART Params", "Data Port-RS485", 3},
      {"Modbus Params", "Data Port-RS485", 4},   {"Device Info", "DTU Config Tool", 7},
      {"Network Info", "DTU Config Tool", 8},    {"Work Mode", "DTU Config Tool", 9},
      {"TCP/UDP Mode", "Work Mode", 10},         {"MQTT Mode", "Work Mode", 11},
      {"Aliyun MQTT", "Work Mode", 12},          {"OneNET MQTT", "Work Mode", 13},
      {"BHU", "DTU Config Tool", 14},            {"Virtual Serial", "DTU Config Tool", 15},
      {"Help", "DTU Config Tool", 16},
  };
  const std::vector<TreeItem> items = WindowTree(window_->PageTree());
  for (const TreeItem &want : expected) {
    auto found = std::find_if(items.begin(), items.end(), [&](const TreeItem &item) { return item.text == want.text; });
    ASSERT_NE(found, items.end()) << want.text.toStdString();
    EXPECT_EQ(found->parent, want.parent) << want.text.toStdString();
    EXPECT_EQ(found->code, want.code) << want.text.toStdString();
  }
}
